#include "engine/repeated_sums.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// While the sum stays in one binade, every addition of `fitness` rounds it by the same multiple of
// the binade's unit, unless the fitness lies exactly halfway between two multiples (then ties to
// even alternate). So the additions of a binade can be taken at once: ceil(Q) of them keep the exact
// sum below the binade's top. Where Q lies too near an integer to tell, floor(Q) - 1 are taken and
// single additions finish the binade. Returns how many were taken.
std::uint64_t AddWithinBinade(float& sum, float fitness, std::uint64_t limit) {
    if (!(sum >= 0x1p-100f && sum <= std::numeric_limits<float>::max()) || !std::isfinite(fitness)) return 0;
    std::uint32_t bits;
    std::memcpy(&bits, &sum, sizeof bits);
    const int exponent = static_cast<int>(bits >> 23) - 127;  // sum is normal here
    const std::uint64_t unitBits = static_cast<std::uint64_t>(exponent - 23 + 1023) << 52;
    double unit;
    std::memcpy(&unit, &unitBits, sizeof unit);
    const double units = fitness / unit;  // exact: a power of two apart
    if (!(units >= 0.5 && units < 0x1p52)) return 0;
    const double below = static_cast<double>(static_cast<std::uint64_t>(units));
    if (units - below == 0.5) return 0;  // halfway: ties to even alternate
    const double step = static_cast<double>(static_cast<std::uint64_t>(units + 0.5));
    const double start = sum / unit;
    const double q = (0x1p24 - start - units) / step;
    if (q < 2) return 0;
    // ceil(q) when q is clear of an integer by far more than its rounding error, else one less
    // than floor(q).
    const double whole = static_cast<double>(static_cast<std::uint64_t>(q));
    const bool clear = q - whole > 1e-6 && q - whole < 1 - 1e-6;
    const std::uint64_t count = static_cast<std::uint64_t>(whole) + (clear ? 1 : -1);
    const std::uint64_t additions = std::min(limit, count);
    sum = static_cast<float>((start + static_cast<double>(additions) * step) * unit);
    return additions;
}

}  // namespace

float RepeatedSum(float fitness, std::uint64_t rounds) {
    if (rounds == 0) return 0;
    if (std::isnan(fitness)) return fitness;
    if (fitness < 0) return -RepeatedSum(-fitness, rounds);  // rounding to nearest is symmetric
    float sum = 0;
    while (rounds > 0) {
        rounds -= AddWithinBinade(sum, fitness, rounds);
        if (rounds == 0) break;
        const float next = sum + fitness;
        if (next == sum) break;
        sum = next;
        --rounds;
    }
    return sum;
}

float RepeatedSums::Of(float fitness, std::uint64_t rounds) {
    if (rounds == 0) return 0;
    std::uint32_t bits;
    std::memcpy(&bits, &fitness, sizeof bits);
    Entry& entry = entries_[(bits ^ bits >> 12 ^ bits >> 24) & (entries_.size() - 1)];
    if (entry.rounds != rounds || entry.fitnessBits != bits) entry = {bits, rounds, RepeatedSum(fitness, rounds)};
    return entry.sum;
}

