#include "formula/apply_rows.h"

#include <cstdint>

#include "formula/bad_input.h"

namespace {

struct Window {
    std::int64_t halfWidth;  // omega; 0 for plain rows
    std::int64_t offset;     // sigma for Trend, 0 otherwise
    std::int64_t Width() const { return 2 * halfWidth + 1; }
};

Window WindowOf(const CSettingsSerializer& settings) {
    const bool filter = (settings.type & Filter) != 0;
    const bool trend = !filter && (settings.type & Trend) != 0;
    if (!filter && !trend) return {0, 0};
    if (settings.omega < 0) throw BadInput("settings.dat: omega (width) is negative");
    if (trend && settings.sigma < 0) throw BadInput("settings.dat: sigma (offset) is negative");
    return {settings.omega, trend ? settings.sigma : 0};
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
    const Window window = WindowOf(settings);
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
    const std::int64_t count =
        static_cast<std::int64_t>(table.size()) - 2 * (window.halfWidth + window.offset);
    for (std::size_t first = 0; static_cast<std::int64_t>(first) < count; ++first) {
        for (std::size_t r = first; r < first + static_cast<std::size_t>(width); ++r) {
            rows.callRows.insert(rows.callRows.end(), table[r].begin(), table[r].begin() + k);
        }
        rows.callRows.insert(rows.callRows.end(), constants.begin(), constants.end());
        const DataRow& target = table[first + static_cast<std::size_t>(window.halfWidth + window.offset)];
        rows.targets.push_back(target.size() > k ? std::optional<float>(target[k]) : std::nullopt);
    }
    rows.count = rows.targets.size();
    return rows;
}
