#pragma once
// Rows as the tuned search reads them: each input a column of its own, the targets apart. The
// training rows and the validation rows are two of these, drawn from one table.
#include <cstddef>
#include <cstdint>
#include <vector>

struct TunedRows {
    std::uint16_t inputCount = 0;
    std::vector<std::vector<float>> columns;  // inputCount columns of size() values
    std::vector<float> targets;

    std::size_t size() const { return targets.size(); }
};

// The rows of `rows` at `picks`, in that order; each row holds inputCount inputs, then its target.
TunedRows PickTunedRows(const std::vector<std::vector<float>>& rows, std::uint16_t inputCount,
                        const std::vector<std::size_t>& picks);

// Splits rows 0 .. count-1 into training and validation rows: a seeded fifth of them (at least one)
// is held out when there are at least eight rows, none otherwise. Both lists ascend.
void SplitRows(std::size_t count, std::uint64_t seed, std::vector<std::size_t>& training,
               std::vector<std::size_t>& validation);
