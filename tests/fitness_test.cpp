// Fitness rules against tests/data/fitness.txt.
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

}  // namespace
