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
        CEngine engine;
        engine.settings = SmallSettings();
        engine.settings.type = c[0] == "Classifier" ? Classifier : c[0] == "Trend" ? Trend : Regression;
        engine.settings.functionFlags = std::stoi(c[1]);
        engine.codeBuffers.resize(1);
        Compile(engine.codeBuffers[0], MakeProgram({{OP_LOAD, 0}}));
        const float fitness = engine.EvaluateFitness(0, MakeCallRows(FloatRows(c[2]), 1, {})),
                    expected = std::stof(c[3]);
        EXPECT_TRUE(fitness == expected || (std::isnan(fitness) && std::isnan(expected)))
            << c[0] << " " << c[2];
    }
}

}  // namespace
