// Fitness rules against tests/data/fitness.txt, and the cache the scorers of a phase share.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "compile/opcodes.h"
#include "tests/console_case.h"
#include "tests/engine_test_support.h"

namespace {

TEST(Fitness, OfRowsOfOutputAndTarget) {
    for (const auto& c : DataCases("fitness.txt")) {
        GepSearch engine;
        engine.problem.settings = SmallSettings();
        engine.problem.settings.type = c[0] == "Classifier" ? Classifier : c[0] == "Trend" ? Trend : Regression;
        engine.problem.settings.functionFlags = std::stoi(c[1]);
        engine.slots.resize(1);
        Compile(engine.slots[0].codeBuffer, MakeProgram({{OP_LOAD, 0}}));
        const float fitness = engine.EvaluateFitness(0, MakeCallRows(FloatRows(c[2]), 1, {})),
                    expected = std::stof(c[3]);
        EXPECT_TRUE(fitness == expected || (std::isnan(fitness) && std::isnan(expected)))
            << c[0] << " " << c[2];
    }
}

// Its spin lock is held only for a lookup or an insert: past the room it was given the shared cache
// takes no more keys rather than grow (or start again empty) while other threads wait.
TEST(Fitness, SharedCacheNeverGrowsWhileShared) {
    SharedFitnessCache cache;
    cache.Unlocked().Reserve(1000);
    float fitness = 0;
    for (int key = 0; key < 5000; ++key) cache.Insert(std::to_string(key), float(key));
    EXPECT_LT(cache.Unlocked().Size(), 2048u);
    EXPECT_TRUE(cache.Find("3", fitness) && fitness == 3);
}

}  // namespace
