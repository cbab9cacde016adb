#pragma once
// Rows laid out the way compiled programs read them: each row's inputs followed by the random
// constants, one row after another, with the targets kept apart. Copies of the last row follow up
// to a multiple of four rows, which the row kernel reads four at a time. Built once per run (and once per
// breeding phase for the tournament rows), so scoring copies nothing per row.
#include <cstddef>
#include <cstdint>
#include <vector>

struct CallRows {
    std::size_t stride = 0;      // inputCount + number of constants
    std::vector<float> values;   // RoundedRows(size()) * stride
    std::vector<float> targets;  // one per row

    std::size_t size() const { return targets.size(); }
    bool empty() const { return targets.empty(); }
    const float* Row(std::size_t i) const { return values.data() + i * stride; }
};

// Every row must hold at least inputCount + 1 values; only the first inputCount + 1 are read.
CallRows MakeCallRows(const std::vector<std::vector<float>>& rows, std::int32_t inputCount,
                      const std::vector<float>& constants);

// The rows of `from` at `picks`, in that order (a row may be picked more than once).
CallRows PickCallRows(const CallRows& from, const std::vector<std::size_t>& picks);
