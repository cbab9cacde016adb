#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "compile/opcodes.h"
#include "tests/engine_test_support.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// Scores the program "push input 0" on rows of (output, target): the row's first value is what the
// program returns.
float Score(std::int32_t type, std::int32_t flags, const std::vector<std::vector<float>>& rows) {
    CEngine engine;
    engine.settings = SmallSettings();
    engine.settings.type = type;
    engine.settings.functionFlags = flags;
    engine.settings.worstFitness = 1000;
    engine.codeBuffers.resize(1);
    Compile(engine.codeBuffers[0], MakeProgram({{OP_LOAD, 0}}));
    return engine.EvaluateFitness(0, MakeCallRows(rows, 1, {}));
}

TEST(Fitness, RegressionIsHalfTheCappedSumOfSquares) {
    const struct {
        const char* what;
        std::vector<std::vector<float>> rows;
        float fitness;
    } cases[] = {
        {"exact", {{1, 1}, {2, 2}, {-3.5f, -3.5f}}, 0},
        {"off by one on four rows", {{1, 2}, {2, 3}, {3, 2}, {4, 5}}, 2},
        {"capped", {{0, 100}}, 500},
        {"infinite error is capped", {{kInf, 0}}, 500},
        {"NaN on the last row", {{1, 1}, {2, 2}, {kNaN, 2}}, 500},
        {"no rows", {}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Score(Regression, 0, c.rows), c.fitness) << c.what;
    EXPECT_TRUE(std::isnan(Score(Regression, 0, {{1, kNaN}}))) << "a NaN target is not capped";
    EXPECT_EQ(Score(Trend, 0, {{1, 2}}), 0.5f) << "every type but Classifier scores squared errors";
}

TEST(Fitness, ClassifierCountsMissesHalved) {
    const struct {
        std::int32_t flags;
        float output, target;
        bool miss;
    } cases[] = {
        {0, 0.3f, 0, true},
        {0, 0.25f, 0, false},
        {0, 0.74f, 1, true},
        {0, 0.75f, 1, false},
        {0, 5, 2, false},
        {0, kInf, 0, true},
        {0, 1, kNaN, false},
        {Tanh, -0.4f, -1, true},
        {Tanh, -0.5f, -1, false},
        {Tanh, 0.49f, 1, true},
        {Tanh, 0.5f, 1, false},
        {Tanh, 9, 0, false},
        {Tanh | Addition, -0.4f, 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Score(Classifier, c.flags, {{c.output, c.target}, {c.output, c.target}}),
                  c.miss ? 1.0f : 0.0f)
            << "flags " << c.flags << " output " << c.output << " target " << c.target;
    }
    EXPECT_EQ(Score(Classifier, 0, {{kNaN, 0}}), 500) << "NaN output";
}

}  // namespace
