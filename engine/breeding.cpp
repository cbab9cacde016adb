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

}  // namespace

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
