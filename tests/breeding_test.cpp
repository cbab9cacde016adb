#include "engine/breeding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "tests/console_case.h"
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
    EXPECT_EQ(SelectionWeights(3, 3, 3).b, 0) << "equal fitnesses weigh alike";
    std::vector<std::int32_t> table(5);
    BuildSelectionTable(FitnessIndex(), SelectionLine(), 1, table);
    EXPECT_TRUE(table.empty());
}

// "opcode operand; ..."
Program FromText(const std::string& text) {
    Program program;
    for (const std::vector<float>& instruction : FloatRows(text)) {
        const Program one = MakeProgram({{int(instruction[0]), int(instruction[1])}});
        program.insert(program.end(), one.begin(), one.end());
    }
    return program;
}

TEST(Breeding, CrossoverDuplicationAndTournamentWinners) {
    const Program a = FromText("0 1; 1 2; 2 3"), b = FromText("0 10; 3 11; 4 12; 5 13");
    for (const auto& c : DataCases("breeding.txt")) {
        const std::vector<std::string> how = Words(c[0]);
        if (how[0] == "winners") {
            const Winners w = PickWinners(FloatRows(c[1])[0]);
            EXPECT_EQ(std::to_string(w.winner) + " " + std::to_string(w.runnerUp), c[2]) << c[1];
            continue;
        }
        ScriptedRandom random;
        for (const std::vector<float>& draw : FloatRows(c[1]))
            random.ints.push_back({int(draw[0]), int(draw[1]), int(draw[2])});
        const bool crossover = how[0] == "crossover";
        Program child1, child2 = FromText("0 1; 1 2; 2 3; 3 4");
        if (crossover) Crossover(random, a, b, child1, child2);
        if (!crossover) Duplicate(random, std::stof(how[1]), std::stoul(how[2]), child2);
        EXPECT_EQ(child1, FromText(crossover ? c[2] : "")) << c[0] << " | " << c[1];
        EXPECT_EQ(child2, FromText(c.back())) << c[0] << " | " << c[1];
        EXPECT_TRUE(random.ints.empty());
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
