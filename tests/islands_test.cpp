// Migration between island populations, without MPI; tests/island_run_test.cpp runs islands under
// mpirun.
#include "engine/islands.h"

#include <gtest/gtest.h>

#include "tests/engine_test_support.h"

namespace {

constexpr float kUnrecorded = -1;

// A fresh engine's population: distinct one-instruction programs, recorded with these fitnesses in
// order.
void Score(GepSearch& e, const std::vector<float>& fitnesses) {
    e.problem.settings = SmallSettings();
    e.generation.bestFitness = e.problem.settings.worstFitness;
    for (std::size_t p = 0; p < fitnesses.size(); ++p) {
        e.generation.population.push_back(MakeProgram({{0, static_cast<int>(p)}}));
        const float w = fitnesses[p];
        if (w == kUnrecorded) continue;
        e.generation.fitnessIndex.insert({w, static_cast<std::int32_t>(p)});
        e.generation.fitnessSum += w;
        e.generation.fitnessCount += 1;
        e.generation.bestFitness = std::min(e.generation.bestFitness, w);
        e.generation.maxFitness = std::max(e.generation.maxFitness, w);
    }
}

std::vector<Migrant> Migrants(const std::vector<float>& fitnesses) {
    std::vector<Migrant> migrants;
    for (std::size_t k = 0; k < fitnesses.size(); ++k)
        migrants.push_back({MakeProgram({{5, static_cast<int>(k)}, {3, 1}}), fitnesses[k]});
    return migrants;
}

// Who holds each position: "p<N>" the population's own program N, "m<K>" migrant K.
std::vector<std::string> Holders(const GepSearch& e) {
    std::vector<std::string> holders;
    for (const Program& program : e.generation.population)
        holders.push_back((program[0] == 5 ? "m" : "p") + std::to_string(program[2]));
    return holders;
}

TEST(Migration, TheBestReplaceTheWorst) {
    const struct {
        std::vector<float> fitnesses;
        std::vector<float> migrants;
        std::vector<std::string> holders;
    } cases[] = {
        // Unrecorded programs go first, then the worst, earlier ones first among equals.
        {{5, kUnrecorded, 1, 9, 3, 9}, {0.5f, 0.7f, 2}, {"p0", "m0", "p2", "m1", "p4", "m2"}},
        {{5, 1, 3}, {}, {"p0", "p1", "p2"}},
        {{4, 2}, {8, 7, 6}, {"m0", "m1"}},
        {{kUnrecorded, kUnrecorded}, {3}, {"m0", "p1"}},
    };
    for (const auto& c : cases) {
        GepSearch e;
        Score(e, c.fitnesses);
        TakeMigrants(e.generation, Migrants(c.migrants));
        EXPECT_EQ(Holders(e), c.holders);
        // The statistics describe the population as it now is.
        float sum = 0, best = e.problem.settings.worstFitness, max = 0;
        for (const auto& [w, p] : e.generation.fitnessIndex) {
            const std::string holder = c.holders[static_cast<std::size_t>(p)];
            const std::size_t k = std::stoul(holder.substr(1));
            EXPECT_EQ(w, holder[0] == 'm' ? c.migrants[k] : c.fitnesses[k]) << holder;
            sum += w;
            best = std::min(best, w);
            max = std::max(max, w);
        }
        EXPECT_FLOAT_EQ(e.generation.fitnessSum, sum);
        EXPECT_EQ(e.generation.fitnessCount, static_cast<std::int32_t>(e.generation.fitnessIndex.size()));
        EXPECT_EQ(e.generation.bestFitness, best);
        EXPECT_EQ(e.generation.maxFitness, max);
    }
}

}  // namespace
