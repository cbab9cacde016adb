// The tuned search: its code, scaling and tuning against references in double precision, and whole
// runs whose program files compute exactly the errors reported, on one thread as on two.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "compile/activation.h"
#include "compile/code_generator.h"
#include "compile/opcodes.h"
#include "compile/squared_error.h"
#include "engine/tuned_random.h"
#include "engine/tuned_run.h"
#include "engine/tuned_search.h"
#include "engine/tuned_tuning.h"
#include "formula/program_file.h"
#include "tests/engine_test_support.h"

namespace {

TunedNode In(int k) { return {TunedOp::Input, 1, static_cast<std::uint16_t>(k)}; }
TunedNode Const(float value) { return {TunedOp::Constant, 1, 0, value}; }
TunedNode Op(TunedOp op) { return {op}; }

TunedTree Tree(std::initializer_list<TunedNode> nodes) {
    TunedTree tree(nodes);
    EXPECT_TRUE(SetLengths(tree.data(), tree.size()));
    return tree;
}

// Operands of leaves are folded into memory forms, sums and products take their deeper operand
// first, and the scaling ends every program; one input, so the constants start at operand 1.
TEST(TunedCode, IsTheShortestFormOfEachNode) {
    const struct {
        TunedTree tree;
        std::vector<int> code;  // opcode, operand pairs
    } cases[] = {
        {Tree({In(0)}), {OP_LOAD, 0, OP_MUL, 1, OP_ADD, 2}},
        {Tree({In(0), In(0), Op(TunedOp::Mul), In(0), Op(TunedOp::Add)}),
         {OP_LOAD, 0, OP_MUL, 0, OP_ADD, 0, OP_MUL, 1, OP_ADD, 2}},
        {Tree({Const(2), In(0), In(0), Op(TunedOp::Mul), Op(TunedOp::Sub)}),
         {OP_LOAD, 1, OP_LOAD, 0, OP_MUL, 0, OP_SUBS, 0, OP_MUL, 2, OP_ADD, 3}},
        {Tree({Const(2), In(0), In(0), Op(TunedOp::Mul), Op(TunedOp::Add)}),
         {OP_LOAD, 0, OP_MUL, 0, OP_ADD, 1, OP_MUL, 2, OP_ADD, 3}},
        {Tree({In(0), Op(TunedOp::Sin), In(0), Op(TunedOp::Cos), In(0), Op(TunedOp::Mul), Op(TunedOp::Div)}),
         {OP_SIN_INPUT, 0, OP_COS_INPUT, 0, OP_MUL, 0, OP_DIVS, 0, OP_MUL, 1, OP_ADD, 2}},
    };
    for (const auto& c : cases) {
        TunedCode code;
        EXPECT_TRUE(EmitTunedCode(c.tree.data(), c.tree.size(), 1, 1, 0, code));
        std::vector<int> pairs;
        for (std::size_t at = 0; at < code.bytes.size(); at += 3)
            pairs.insert(pairs.end(), {code.bytes[at], code.bytes[at + 1] << 8 | code.bytes[at + 2]});
        EXPECT_EQ(pairs, c.code);
    }
    // x - (x - (x - ...)): each operand waits on the stack, and nine do not fit.
    for (int depth : {7, 8}) {
        TunedTree tree;
        for (int i = 0; i <= depth; ++i) tree.push_back(In(0));
        tree.push_back(Op(TunedOp::Sin));
        for (int i = 0; i < depth; ++i) tree.push_back(Op(TunedOp::Sub));
        TunedCode code;
        ASSERT_TRUE(SetLengths(tree.data(), tree.size()));
        EXPECT_EQ(EmitTunedCode(tree.data(), tree.size(), 1, 1, 0, code), depth == 7) << depth;
    }
}

TunedRows RandomRows(std::mt19937& random, int inputs, std::size_t count, float (*formula)(const float*)) {
    TunedRows rows;
    rows.inputCount = static_cast<std::uint16_t>(inputs);
    rows.columns.assign(static_cast<std::size_t>(inputs), std::vector<float>(count));
    for (std::size_t r = 0; r < count; ++r) {
        float x[4];
        for (int k = 0; k < inputs; ++k) x[k] = rows.columns[k][r] = std::uniform_real_distribution<float>(-2, 2)(random);
        rows.targets.push_back(formula(x));
    }
    return rows;
}

// Scale and offset of a straight line come back; values that do not vary give the mean target; the
// error is that of the float outputs, and a NaN output makes it infinite.
TEST(Scaling, FitsTheLeastSquaresLine) {
    const long double values[] = {1, 2, 4, -3};
    const float targets[] = {3, 5, 9, -5};
    const Scaling line = FitScaling(values, targets, 4);
    EXPECT_EQ(std::make_pair(line.scale, line.offset), std::make_pair(2.0f, 1.0f));
    EXPECT_EQ(ScaledError(values, targets, 4, {2.0f, 1.5f}), 0.25);
    const long double flat[] = {7, 7, 7, 7};
    const Scaling mean = FitScaling(flat, targets, 4);
    EXPECT_EQ(std::make_pair(mean.scale, mean.offset), std::make_pair(0.0f, 3.0f));
    const long double withNan[] = {1, 2, NAN, -3};
    EXPECT_EQ(ScaledError(withNan, targets, 4, line), INFINITY);
}

// From poor starting constants, tuning reaches those that generated the data, and its values in
// double are the formula's.
TEST(ConstantTuning, ReachesTheConstantsOfTheData) {
    std::mt19937 random(11);
    const TunedRows rows = RandomRows(random, 1, 60, [](const float* x) {
        return static_cast<float>(3 * (1.5 * x[0] + std::sin(2.5 * x[0])) - 2);
    });
    TunedTree tree = Tree({In(0), Const(1), Op(TunedOp::Mul), In(0), Const(2.2f), Op(TunedOp::Mul),
                           Op(TunedOp::Sin), Op(TunedOp::Add)});
    ConstantTuner tuner;
    ASSERT_TRUE(tuner.Tune(tree.data(), tree.size(), rows, 30).Improved());
    EXPECT_NEAR(tree[1].value, 1.5, 1e-4);
    EXPECT_NEAR(tree[4].value, 2.5, 1e-4);
    std::vector<double> values(rows.size());
    tuner.Values(tree.data(), tree.size(), rows, values.data());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const double x = rows.columns[0][r];
        EXPECT_NEAR(values[r], x * tree[1].value + std::sin(x * tree[4].value), 1e-6);
    }
    EXPECT_FALSE(tuner.Tune(tree.data(), 1, rows, 5).Improved()) << "no constant to tune";
}

struct Recorded {
    std::vector<std::string> calls;
    std::vector<FrontModel> models;
};

Recorded SearchRun(const TunedRows& training, const TunedRows& validation, int threads) {
    TunedSettings settings;
    settings.population = 40, settings.initialPopulation = 60, settings.generations = 8;
    // Never progress enough: bred and drawn generations alternate.
    settings.restartAfter = 2, settings.restartGain = 1;
    settings.maxInstructions = 16, settings.maxConstants = 3, settings.threads = threads, settings.seed = 5;
    RecordingReporter reporter;
    TunedSearch(training, validation, settings, reporter, {}).Run();
    return {reporter.Calls(), reporter.models};
}

// The error of the float outputs of the file's program on the rows, the file's constants after
// each row's inputs.
double FileError(const std::string& source, const TunedRows& rows) {
    const ProgramFile file = ParseProgramFile("model.cpp", source);
    // The inputs, then every constant place (3 and the scaling's 2), as the tools expect.
    EXPECT_EQ(file.values.size(), rows.inputCount + 5);
    CodeBuffer buffer;
    Compile(buffer, file.program);
    MeanSquaredError error;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<float> row = file.values;
        for (std::size_t k = 0; k < rows.inputCount; ++k) row[k] = rows.columns[k][r];
        const float y = CallCompiled(buffer, row.data());
        if (std::isnan(y)) return INFINITY;
        error.Add(y, rows.targets[r]);
    }
    return error.Mean();
}

TEST(TunedSearch, ProgramFilesComputeTheReportedErrorsOnAnyNumberOfThreads) {
    std::mt19937 random(3);
    const auto formula = [](const float* x) { return 2.5f * x[0] * x[0] - 1.3f * std::sin(x[1]) + 0.7f; };
    const TunedRows training = RandomRows(random, 2, 50, formula);
    const TunedRows validation = RandomRows(random, 2, 12, formula);
    const Recorded one = SearchRun(training, validation, 1), two = SearchRun(training, validation, 2);
    EXPECT_EQ(one.calls, two.calls);
    ASSERT_EQ(one.models.size(), two.models.size());
    ASSERT_FALSE(one.models.empty());
    EXPECT_EQ(one.calls.back(), "EngineStopped");
    for (std::size_t i = 0; i < one.models.size(); ++i) {
        const FrontModel& model = one.models[i];
        EXPECT_EQ(model.source, two.models[i].source);
        EXPECT_EQ(FileError(model.source, training), model.scores.trainingError) << model.source;
        EXPECT_EQ(FileError(model.source, validation), model.scores.validationError) << model.source;
    }
}

// One row is enough to learn from: its target is an exact model.
TEST(TunedRun, LearnsFromOneRow) {
    CSettingsSerializer settings = SmallSettings();
    settings.dummyInputs = 2;
    TunedRun run;
    run.Prepare(settings, {{1, 2}}, 1, 0);
    RecordingReporter reporter;
    run.Run(reporter, RunControl());
    EXPECT_EQ(reporter.models.empty() ? -1 : reporter.models.back().scores.trainingError, 0);
}

// The smallest model within a percent of the lowest error, or within a ten-billionth of the
// variance where the lowest is that close to nothing.
TEST(TunedFront, ChoosesTheSmallestModelThatIsGoodEnough) {
    EXPECT_EQ(ChooseModel({4, 2, 1, 0.995}, 100), 2u);
    EXPECT_EQ(ChooseModel({4, 2, 1, 0.98}, 100), 3u);
    EXPECT_EQ(ChooseModel({1e-3, 2e-9, 1e-12}, 100), 1u);
    EXPECT_EQ(ChooseModel({1e-3, 2e-8, 1e-12}, 100), 2u);
}

// The front holds, smallest first, each size whose best error is below every smaller size's,
// up to the longest program; longer and failed programs stay out.
TEST(TunedFront, HoldsTheBestOfEachSizeBelowEverySmallerOne) {
    TunedFront front(5);
    const std::pair<std::size_t, double> offers[] = {{3, 4}, {1, 9}, {3, 2}, {3, 3}, {2, 1},
                                                     {4, 1}, {5, 0.5}, {6, 0.1}, {1, NAN}};
    for (const auto& [size, error] : offers) front.Offer({{}, {}, error, size});
    std::vector<std::pair<std::size_t, double>> members;
    for (const TunedIndividual* member : front.Members()) members.emplace_back(member->size, member->error);
    EXPECT_EQ(members, (std::vector<std::pair<std::size_t, double>>{{1, 9}, {2, 1}, {5, 0.5}}));
}

// A move of the constants changes both and keeps the shape, one mutation in twenty; others rarely do.
TEST(TunedVariation, MutationMovesTheConstants) {
    const TunedGrammar grammar = MakeGrammar(1 << static_cast<int>(TunedOp::Add), 1, 9, 2);
    TunedRandom random(5, 1, 2);
    MutationScratch scratch;
    int moved = 0;
    for (int m = 0; m < 1000; ++m) {
        TunedTree tree = Tree({Const(1), Const(1), Op(TunedOp::Add)});
        Mutate(random, grammar, tree, scratch);
        const bool shape = tree.size() == 3 && ConstantCount(tree.data(), 3) == 2;
        moved += shape && tree[0].value != 1 && tree[1].value != 1;
    }
    EXPECT_GT(moved, 20);
}

}  // namespace

// Draws below n cover 0 .. n - 1 evenly, whatever the stream.
TEST(TunedRandom, BelowCoversItsRangeEvenly) {
    for (const std::uint32_t n : {2u, 7u, 1000u}) {
        TunedRandom random(n, 1, 2);
        std::vector<int> counts(n);
        const int draws = 200 * static_cast<int>(n);
        for (int d = 0; d < draws; ++d) {
            const std::uint32_t k = random.Below(n);
            ASSERT_LT(k, n);
            ++counts[k];
        }
        for (const int count : counts) EXPECT_GT(count, 100) << n;
    }
}
