#include "engine/breeding.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

std::size_t Instructions(const Program& program) { return program.size() / 3; }

// Copies of one fitness's program: trunc(weight / mean) + 1, one when that is not a finite number.
std::size_t Copies(float fitness, SelectionLine line, float mean, std::size_t room) {
    float weight = fitness * line.a + line.b;
    if (!(weight > 0)) weight = 0;
    const double copies = std::trunc(static_cast<double>(weight / mean)) + 1;
    if (!std::isfinite(copies)) return 1;
    return copies >= static_cast<double>(room) ? room : static_cast<std::size_t>(copies);
}

// While the sum stays in one binade, every addition of `fitness` rounds it by the same multiple of
// the binade's unit, unless the fitness lies exactly halfway between two multiples (then ties to
// even alternate). So all but the last few additions of a binade can be taken at once: the number
// that keeps the exact sum below the binade's top is ceil(Q); taking floor(Q) - 1 at most, a rounding
// error in Q never oversteps, and single additions finish the binade. Returns how many were taken.
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
    const std::uint64_t additions = std::min(limit, static_cast<std::uint64_t>(q) - 1);
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

std::uint64_t TruncatedPercent(float percent) {
    if (!(percent > 0)) return 0;
    return static_cast<std::uint64_t>(std::min(percent, kMaximumPercent));
}

SelectionLine SelectionWeights(float mean, float maxFitness, float bestFitness) {
    SelectionLine line;
    if (mean != maxFitness) {
        line.a = mean / (maxFitness - mean);
        line.b = mean;
    }
    if (bestFitness * line.a + line.b < 0) {
        line.a = mean / (mean - bestFitness);
        line.b = -bestFitness * mean / (mean - bestFitness);
    }
    return line;
}

void BuildSelectionTable(const FitnessIndex& fitnessIndex, SelectionLine line, float mean,
                         std::vector<std::int32_t>& table) {
    if (fitnessIndex.empty()) {
        table.clear();
        return;
    }
    std::size_t filled = 0;
    while (filled < table.size()) {
        for (auto entry = fitnessIndex.rbegin(); entry != fitnessIndex.rend() && filled < table.size();
             ++entry) {
            const std::size_t copies = Copies(entry->first, line, mean, table.size() - filled);
            for (std::size_t k = 0; k < copies; ++k) table[filled++] = entry->second;
        }
    }
}

void Crossover(TRandom& random, const Program& a, const Program& b, Program& child1, Program& child2) {
    const int lenA = static_cast<int>(a.size()), lenB = static_cast<int>(b.size());
    const int length = 3 * (random.NextInt(0, std::min(lenA, lenB) - 1) / 3);
    const int posA = 3 * (random.NextInt(0, lenA - length - 1) / 3);
    const int posB = 3 * (random.NextInt(0, lenB - length - 1) / 3);
    child1 = a;
    child2 = b;
    std::copy(b.begin() + posB, b.begin() + posB + length, child1.begin() + posA);
    std::copy(a.begin() + posA, a.begin() + posA + length, child2.begin() + posB);
}

void Duplicate(TRandom& random, float mutationPercent, std::size_t poolSize, Program& child) {
    const int count = static_cast<int>(Instructions(child));
    const int x = random.NextInt(0, 100);
    if (!(mutationPercent > static_cast<float>(x)) || static_cast<std::size_t>(count) >= poolSize) return;
    const int s = random.NextInt(0, count - 1);
    if (s >= count - 1) return;
    const int length = random.NextInt(1, count - 1 - s);
    for (int i = s; i < s + length && static_cast<std::size_t>(i) < poolSize; ++i) {
        const std::size_t at = 3 * static_cast<std::size_t>(i);
        const std::uint8_t instruction[3] = {child[at], child[at + 1], child[at + 2]};
        child.insert(child.end(), instruction, instruction + 3);
    }
}

void MutateInstruction(TRandom& random, CRandStream& rand, Program& child, std::size_t q, int operandCount,
                       const std::vector<std::uint8_t>& opcodePool) {
    std::uint8_t* instruction = &child[3 * q];
    if (rand.Next() % 2 == 1) {
        const int operand = random.NextInt(0, operandCount - 1);
        instruction[1] = static_cast<std::uint8_t>(operand >> 8);
        instruction[2] = static_cast<std::uint8_t>(operand);
    } else {
        instruction[0] = opcodePool[static_cast<std::size_t>(rand.Next()) % opcodePool.size()];
    }
}

void MutateFirstChild(TRandom& random, CRandStream& rand, float mutationPercent, Program& child,
                      int operandCount, const std::vector<std::uint8_t>& opcodePool) {
    const int x = random.NextInt(0, 100);
    if (!(mutationPercent > static_cast<float>(x))) return;
    const int q = random.NextInt(0, static_cast<int>(Instructions(child)) - 1);
    MutateInstruction(random, rand, child, static_cast<std::size_t>(q), operandCount, opcodePool);
}

void MutateSecondChild(TRandom& random, CRandStream& rand, float mutationPercent, Program& child,
                       int operandCount, const std::vector<std::uint8_t>& opcodePool) {
    const double r = random.NextReal() * 100;
    if (!(static_cast<double>(mutationPercent) > r)) return;
    const std::size_t q = static_cast<std::size_t>(rand.Next()) % Instructions(child);
    MutateInstruction(random, rand, child, q, operandCount, opcodePool);
}

Winners PickWinners(const std::vector<float>& scores) {
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    float winnerScore = std::numeric_limits<float>::max(), runnerUpScore = winnerScore;
    std::size_t winner = kNone, runnerUp = kNone;
    for (std::size_t k = 0; k < scores.size(); ++k) {
        if (scores[k] < winnerScore) {
            if (runnerUpScore > winnerScore) {
                runnerUp = winner;
                runnerUpScore = winnerScore;
            }
            winner = k;
            winnerScore = scores[k];
        } else if (scores[k] < runnerUpScore) {
            runnerUp = k;
            runnerUpScore = scores[k];
        }
    }
    if (winner == kNone) winner = 0;
    if (runnerUp == kNone || runnerUp == winner) runnerUp = winner == 0 ? 1 : 0;
    return {winner, runnerUp};
}
