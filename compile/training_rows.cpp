#include "compile/training_rows.h"

#include "compile/input_window.h"

#include <limits>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::int64_t kMaxInputCount = std::numeric_limits<std::int32_t>::max();

// Returns the value count of the first non-empty row, or 0 when every row is empty.
std::size_t FirstRowSize(const std::vector<std::vector<float>>& dataTable) {
    for (const std::vector<float>& row : dataTable) {
        if (!row.empty()) return row.size();
    }
    return 0;
}

void CopyUsableRows(const std::vector<std::vector<float>>& dataTable, std::size_t valuesNeeded,
                    std::vector<std::vector<float>>& rows) {
    for (const std::vector<float>& row : dataTable) {
        if (row.size() >= valuesNeeded) rows.push_back(row);
    }
}

void BuildWindows(const std::vector<std::vector<float>>& dataTable, InputWindow window, std::size_t k,
                  std::vector<std::vector<float>>& rows) {
    const std::int64_t count = window.Count(dataTable.size());
    if (count <= 0) return;
    const std::size_t width = static_cast<std::size_t>(window.Width());
    // unusableBefore[r]: unusable rows among data rows 0 .. r-1, so a window is checked in constant time.
    std::vector<std::size_t> unusableBefore(dataTable.size() + 1, 0);
    for (std::size_t r = 0; r < dataTable.size(); ++r) {
        unusableBefore[r + 1] = unusableBefore[r] + (dataTable[r].size() <= k ? 1 : 0);
    }
    rows.reserve(static_cast<std::size_t>(count));
    for (std::size_t first = 0; first < static_cast<std::size_t>(count); ++first) {
        const std::size_t target = window.TargetRow(first);
        const bool windowUsable = unusableBefore[first + width] == unusableBefore[first];
        if (!windowUsable || dataTable[target].size() <= k) continue;
        std::vector<float> row;
        row.reserve(width * k + 1);
        for (std::size_t r = first; r < first + width; ++r) {
            row.insert(row.end(), dataTable[r].begin(),
                       dataTable[r].begin() + static_cast<std::ptrdiff_t>(k));
        }
        row.push_back(dataTable[target][k]);
        rows.push_back(std::move(row));
    }
}

}  // namespace

void PrepareTrainingRows(const std::vector<std::vector<float>>& dataTable,
                         const CSettingsSerializer& settings, std::vector<std::vector<float>>& rows,
                         std::int32_t& inputCount) {
    const std::size_t firstSize = FirstRowSize(dataTable);
    if (!TakesWindows(settings)) {
        rows.clear();
        if (firstSize == 0) return;
        inputCount = static_cast<std::int32_t>(firstSize - 1);
        CopyUsableRows(dataTable, firstSize, rows);
        return;
    }
    const InputWindow window = WindowOf(settings);
    const std::size_t k = firstSize == 0 ? 0 : firstSize - 1;
    const std::int64_t width = window.Width();
    // inputCount = W * K must fit its 32 bits.
    if (k > static_cast<std::size_t>(kMaxInputCount / width)) {
        throw std::runtime_error("Omega (Width) is too large");
    }
    rows.clear();
    if (firstSize == 0) return;
    inputCount = static_cast<std::int32_t>(width * static_cast<std::int64_t>(k));
    BuildWindows(dataTable, window, k, rows);
}
