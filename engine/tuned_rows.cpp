#include "engine/tuned_rows.h"

#include <algorithm>

#include "engine/tuned_random.h"

TunedRows PickTunedRows(const std::vector<std::vector<float>>& rows, std::uint16_t inputCount,
                        const std::vector<std::size_t>& picks) {
    TunedRows picked;
    picked.inputCount = inputCount;
    picked.columns.assign(inputCount, std::vector<float>(picks.size()));
    picked.targets.resize(picks.size());
    for (std::size_t i = 0; i < picks.size(); ++i) {
        const std::vector<float>& row = rows[picks[i]];
        for (std::uint16_t k = 0; k < inputCount; ++k) picked.columns[k][i] = row[k];
        picked.targets[i] = row[inputCount];
    }
    return picked;
}

void SplitRows(std::size_t count, std::uint64_t seed, std::vector<std::size_t>& training,
               std::vector<std::size_t>& validation) {
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = i;
    const std::size_t held = count >= 8 ? std::max<std::size_t>(1, count / 5) : 0;
    TunedRandom random(seed, 0, 0);
    for (std::size_t i = 0; i < held; ++i)  // the first `held` of a seeded shuffle
        std::swap(order[i], order[i + random.Below(static_cast<std::uint32_t>(count - i))]);
    validation.assign(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(held));
    training.assign(order.begin() + static_cast<std::ptrdiff_t>(held), order.end());
    std::sort(validation.begin(), validation.end());
    std::sort(training.begin(), training.end());
}
