#include "formula/apply_rows.h"

#include <cstdint>
#include <stdexcept>

#include "compile/input_window.h"

#include "formula/bad_input.h"

namespace {

// The window of learning, its refusals as bad input of the settings file.
InputWindow CheckedWindow(const CSettingsSerializer& settings) {
    try {
        return WindowOf(settings);
    } catch (const std::runtime_error& error) {
        throw BadInput(std::string("settings.dat: ") + error.what());
    }
}

void CheckRowLengths(const DataTable& table, std::size_t inputs, const std::string& dataPath) {
    for (std::size_t r = 0; r < table.size(); ++r) {
        if (table[r].size() < inputs) {
            const std::size_t values = table[r].size();
            throw BadInput(dataPath + ":" + std::to_string(r + 1) + ": the row holds " +
                           std::to_string(values) + (values == 1 ? " value" : " values") +
                           ", fewer than the " + std::to_string(inputs) + " inputs of a row");
        }
    }
}

}  // namespace

PreparedRows PrepareApplyRows(const DataTable& table, const CSettingsSerializer& settings,
                              std::size_t inputCount, const std::vector<float>& constants,
                              const std::string& dataPath) {
    const InputWindow window = CheckedWindow(settings);
    const std::int64_t width = window.Width();
    if (static_cast<std::int64_t>(inputCount) % width != 0) {
        throw BadInput(std::to_string(inputCount) + " inputs do not make windows of " +
                       std::to_string(width) + " rows each (omega " + std::to_string(window.halfWidth) +
                       " in settings.dat)");
    }
    const std::size_t k = inputCount / static_cast<std::size_t>(width);
    CheckRowLengths(table, k, dataPath);
    PreparedRows rows;
    rows.stride = inputCount + constants.size();
    const std::int64_t count = window.Count(table.size());
    for (std::size_t first = 0; static_cast<std::int64_t>(first) < count; ++first) {
        for (std::size_t r = first; r < first + static_cast<std::size_t>(width); ++r) {
            rows.callRows.insert(rows.callRows.end(), table[r].begin(), table[r].begin() + k);
        }
        rows.callRows.insert(rows.callRows.end(), constants.begin(), constants.end());
        const DataRow& target = table[window.TargetRow(first)];
        rows.targets.push_back(target.size() > k ? std::optional<float>(target[k]) : std::nullopt);
    }
    rows.count = rows.targets.size();
    return rows;
}
