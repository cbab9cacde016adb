#include "engine/call_rows.h"

#include <algorithm>

#include "compile/row_kernel.h"

namespace {

void PadToFourRows(CallRows& rows) {
    if (rows.empty()) return;
    const auto at = [&rows](std::size_t r) {
        return rows.values.begin() + static_cast<std::ptrdiff_t>(r * rows.stride);
    };
    const std::size_t last = rows.size() - 1, padded = RoundedRows(rows.size());
    rows.values.resize(padded * rows.stride);
    for (std::size_t r = last + 1; r < padded; ++r) std::copy(at(last), at(last + 1), at(r));
}

}  // namespace

CallRows MakeCallRows(const std::vector<std::vector<float>>& rows, std::int32_t inputCount,
                      const std::vector<float>& constants) {
    const std::size_t inputs = static_cast<std::size_t>(std::max<std::int32_t>(inputCount, 0));
    CallRows result;
    result.stride = inputs + constants.size();
    result.values.reserve(RoundedRows(rows.size()) * result.stride);
    result.targets.reserve(rows.size());
    for (const std::vector<float>& row : rows) {
        result.values.insert(result.values.end(), row.begin(), row.begin() + inputs);
        result.values.insert(result.values.end(), constants.begin(), constants.end());
        result.targets.push_back(row[inputs]);
    }
    PadToFourRows(result);
    return result;
}

CallRows PickCallRows(const CallRows& from, const std::vector<std::size_t>& picks) {
    CallRows result;
    result.stride = from.stride;
    result.values.reserve(RoundedRows(picks.size()) * from.stride);
    result.targets.reserve(picks.size());
    for (std::size_t pick : picks) {
        result.values.insert(result.values.end(), from.Row(pick), from.Row(pick) + from.stride);
        result.targets.push_back(from.targets[pick]);
    }
    PadToFourRows(result);
    return result;
}
