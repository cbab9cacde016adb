// The parts of `tarvo learn FILE.csv` that its golden cases cannot pin down: the progress line,
// which a short run never shows, and the names of functions and columns.
#include "app/table_learning.h"

#include <gtest/gtest.h>

#include "app/table_reporter.h"
#include "app/table_summary.h"
#include "engine/learning_defaults.h"

namespace {

TEST(TableLearning, ProgressLine) {
    const ModelScores best{1.23456e-5, 0.5, 11};
    const struct {
        double elapsed;
        ProgressShape shape;
        int generations;
        bool found;
        const char* line;
    } cases[] = {
        {0.25,
         {false, 0, 3, 100},
         0,
         false,
         "0.2 s of 3.0 s (2.8 s left), generation 0: scoring the first programs"},
        {12.4,
         {false, 0, 10, 100},
         42,
         true,
         "12 s of 10 s (0.0 s left), generation 41: training error 1.23e-05, validation error 0.5, size 11"},
        {1.5,
         {false, 0, 0, 100},
         3,
         true,
         "1.5 s, generation 2 of 100: training error 1.23e-05, validation error 0.5, size 11"},
    };
    for (const auto& c : cases) {
        const std::optional<ModelScores> scores = c.found ? std::optional<ModelScores>(best) : std::nullopt;
        EXPECT_EQ(ProgressLine(c.elapsed, c.shape, c.generations, scores), c.line);
    }
}

TEST(TableLearning, FunctionNamesReadBackAsWritten) {
    const struct {
        const char* list;
        std::int32_t flags;  // -1: refused
        const char* written;
    } cases[] = {
        {"add,sub,mul,div", 0x00F, "add,sub,mul,div"},
        {"+,*,tanh", 0x405, "add,mul,tanh"},
        {"sigmoid,exp,exp", 0x210, "exp,sigmoid"},
        {"", -1, ""},
        {"add,", -1, ""},
        {"Add", -1, ""},
        {"pow", -1, ""},
    };
    for (const auto& c : cases) {
        const std::optional<std::int32_t> flags = FunctionFlags(c.list);
        EXPECT_EQ(flags.value_or(-1), c.flags) << c.list;
        if (flags) {
            EXPECT_EQ(FunctionList(*flags), c.written);
        }
    }
}

TEST(TableLearning, ColumnNamesAFormulaCouldMisreadAreQuoted) {
    EXPECT_EQ(FormulaNames({"speed", "x.1", "_a2", "speed (m/s)", "2nd", "a-b", "inf", "a`b", ""}),
              (std::vector<std::string>{"speed", "x.1", "_a2", "`speed (m/s)`", "`2nd`", "`a-b`", "`inf`",
                                        "`a``b`", "``"}));
}

}  // namespace

// Larger tables learn longer (3 to 10 s), more inputs allow longer programs (40 to 80 instructions);
// generations alone mean no time budget, so that the run repeats exactly.
TEST(TableLearning, PlanFollowsTheTable) {
    struct Case {
        std::size_t rows, inputs;
        LearningOptions options;
        double seconds;
        std::int32_t longest;
    };
    const Case cases[] = {
        {150, 3, {}, 3, 42},         {600, 2, {}, 8, 40},        {1000, 4, {}, 10, 46},
        {100, 20, {}, 10, 80},       {10, 0, {}, 3, 40},         {150, 3, {{}, 1.5, 7, {}, {}}, 1.5, 42},
        {150, 3, {{}, {}, 7, {}, {}}, 0, 42},
    };
    for (const Case& c : cases) {
        const LearningPlan plan = PlanLearning(c.rows, c.inputs, c.options);
        EXPECT_EQ(plan.setup.seconds, c.seconds) << c.rows << " x " << c.inputs;
        EXPECT_EQ(plan.settings.maxFunctions, c.longest) << c.rows << " x " << c.inputs;
    }
}
