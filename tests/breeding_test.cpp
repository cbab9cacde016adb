#include "engine/breeding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "tests/engine_test_support.h"

namespace {

FitnessIndex IndexOf(std::initializer_list<std::pair<float, std::int32_t>> entries) {
    FitnessIndex index;
    for (const auto& entry : entries) index.insert(entry);
    return index;
}

// From best to worst, round and round; among equal fitnesses the one recorded later comes first.
// NaN weights (an infinite mean) give one copy each; a weight far above the mean does not
// overflow the copy count; an empty index gives an empty table.
TEST(Selection, TableRunsFromBestToWorstAndWrapsAround) {
    const float inf = std::numeric_limits<float>::infinity(), mean = 9.0f / 4;
    const FitnessIndex ranked = IndexOf({{4, 0}, {2, 1}, {2, 2}, {1, 3}});
    const SelectionLine line = SelectionWeights(mean, 4, 1);
    const struct {
        FitnessIndex index;
        SelectionLine line;
        float mean;
        std::vector<std::int32_t> table;
    } cases[] = {
        {ranked, line, mean, {3, 3, 2, 2, 2, 1, 1, 1, 0, 0}},
        {ranked, line, mean, {3, 3, 2, 2, 2, 1, 1, 1, 0, 0, 0, 0, 3, 3}},
        {ranked, line, mean, {3}},
        {IndexOf({{inf, 0}, {1, 1}}), {1, 0}, inf, {1, 0, 1, 0, 1}},
        {IndexOf({{1e20f, 7}, {5e19f, 8}}), {1, 0}, 1, {8, 8, 8}},
    };
    for (const auto& c : cases) {
        std::vector<std::int32_t> table(c.table.size(), -1);
        BuildSelectionTable(c.index, c.line, c.mean, table);
        EXPECT_EQ(table, c.table);
    }
    std::vector<std::int32_t> table(5);
    BuildSelectionTable(FitnessIndex(), SelectionLine(), 1, table);
    EXPECT_TRUE(table.empty());
}

TEST(Breeding, CrossoverExchangesWholeInstructions) {
    const Program a = MakeProgram({{0, 1}, {1, 2}, {2, 3}});
    const Program b = MakeProgram({{0, 10}, {3, 11}, {4, 12}, {5, 13}});
    const struct {
        std::vector<ScriptedRandom::Draw> draws;
        Program child1, child2;
    } cases[] = {
        // L = 3 (one instruction), posA = 3, posB = 6.
        {{{0, 8, 5}, {0, 5, 4}, {0, 8, 7}},
         MakeProgram({{0, 1}, {4, 12}, {2, 3}}),
         MakeProgram({{0, 10}, {3, 11}, {1, 2}, {5, 13}})},
        // L = 6 (two instructions), posA = 0, posB = 3.
        {{{0, 8, 8}, {0, 2, 2}, {0, 5, 5}},
         MakeProgram({{3, 11}, {4, 12}, {2, 3}}),
         MakeProgram({{0, 10}, {0, 1}, {1, 2}, {5, 13}})},
        // L = 0: the children equal their parents.
        {{{0, 8, 2}, {0, 8, 8}, {0, 11, 11}}, a, b},
    };
    for (const auto& c : cases) {
        ScriptedRandom random;
        random.ints.assign(c.draws.begin(), c.draws.end());
        Program child1, child2;
        Crossover(random, a, b, child1, child2);
        EXPECT_EQ(child1, c.child1);
        EXPECT_EQ(child2, c.child2);
        EXPECT_TRUE(random.ints.empty());
    }
}

TEST(Breeding, DuplicationAppendsARunOfTheChildsOwnInstructions) {
    const Program parent = MakeProgram({{0, 1}, {1, 2}, {2, 3}, {3, 4}});
    const struct {
        float mutationPercent;
        std::size_t poolSize;
        std::vector<ScriptedRandom::Draw> draws;
        Program child;
    } cases[] = {
        {50,
         6,
         {{0, 100, 10}, {0, 3, 1}, {1, 2, 2}},
         MakeProgram({{0, 1}, {1, 2}, {2, 3}, {3, 4}, {1, 2}, {2, 3}})},
        {50, 6, {{0, 100, 10}, {0, 3, 0}, {1, 3, 1}}, MakeProgram({{0, 1}, {1, 2}, {2, 3}, {3, 4}, {0, 1}})},
        {50, 6, {{0, 100, 10}, {0, 3, 3}}, parent},  // the last instruction starts no run
        {10, 6, {{0, 100, 10}}, parent},             // not more than the draw
        {50, 4, {{0, 100, 10}}, parent},             // as long as the pool
    };
    for (const auto& c : cases) {
        ScriptedRandom random;
        random.ints.assign(c.draws.begin(), c.draws.end());
        Program child = parent;
        Duplicate(random, c.mutationPercent, c.poolSize, child);
        EXPECT_EQ(child, c.child);
        EXPECT_TRUE(random.ints.empty());
    }
}

TEST(Breeding, WinnerAndRunnerUp) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        std::vector<float> scores;
        std::size_t winner, runnerUp;
    } cases[] = {
        {{0, 0}, 0, 1},    {{0, 0, 0, 0}, 0, 1}, {{5, 3, 4}, 1, 2},  {{3, 5, 4}, 0, 2},
        {{2, 2, 1}, 2, 1},  // the old winner ties the runner-up and drops out
        {{4, 2}, 1, 0},    {{nan, 5}, 1, 0},     {{inf, inf}, 0, 1}, {{nan, nan, 7}, 2, 0},
    };
    for (const auto& c : cases) {
        const Winners w = PickWinners(c.scores);
        EXPECT_EQ(w.winner, c.winner) << ::testing::PrintToString(c.scores);
        EXPECT_EQ(w.runnerUp, c.runnerUp) << ::testing::PrintToString(c.scores);
    }
}

}  // namespace

namespace {

float AddedOneByOne(float fitness, std::uint64_t rounds) {
    float sum = 0;
    for (std::uint64_t round = 0; round < rounds; ++round) sum += fitness;
    return sum;
}

// Sums that cross many binades, fitnesses on a tie between two units of the sum (halves, round
// numbers), subnormal and huge ones, and the ends of the float range.
TEST(Breeding, RepeatedSumEqualsAddingOneByOne) {
    std::mt19937 random(11);
    std::vector<float> fitnesses = {0.5f,     41.5f,     500000.0f,   3.0f,       1.0f / 3, 1e-45f,
                                    1e-39f,   3e38f,     1.7e38f,     -2.75f,     -0.0f,    0.0f,
                                    INFINITY, -INFINITY, 16777215.0f, 8388609.0f, 1e-20f,   7.0e-39f};
    for (int i = 0; i < 300; ++i) {
        const int bits = std::uniform_int_distribution<int>(1, 24)(random);  // significant bits
        const float mantissa = static_cast<float>(random() % (1u << bits) | 1u);
        fitnesses.push_back(std::ldexp(mantissa, std::uniform_int_distribution<int>(-160, 100)(random)));
    }
    for (float fitness : fitnesses) {
        for (std::uint64_t rounds : {0, 1, 2, 3, 5, 200, 2000, 77777}) {
            const float expected = AddedOneByOne(fitness, rounds), actual = RepeatedSum(fitness, rounds);
            EXPECT_EQ(std::memcmp(&expected, &actual, sizeof actual), 0)
                << std::hexfloat << fitness << " x " << rounds << ": " << expected << " != " << actual;
        }
    }
    EXPECT_TRUE(std::isnan(RepeatedSum(NAN, 3)));
}

}  // namespace
