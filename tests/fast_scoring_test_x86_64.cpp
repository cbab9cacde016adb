// The fast scorer against compiling each program and calling EvaluateFitness, bit for bit, on
// random programs and rows full of special values, for every fitness rule.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "compile/training_rows.h"
#include "engine/fast_scorer.h"
#include "tests/engine_test_support.h"
#include "tests/random_programs.h"

namespace {

struct Case {
    const char* name;
    std::int32_t type;
    std::int32_t functionFlags;
    float worstFitness;
    int dataRows;
    int omega;                   // Filter windows
    std::vector<float> classes;  // Classifier targets drawn from these, else random values
    bool plainInputs = false;    // inputs without special values, a few targets NaN or infinite
};

// 600 rows are three kernel blocks, so the early end and the NaN rule meet block edges.
const Case kCases[] = {
    {"Regression", Regression, 0x7FF, 1e6f, 600, 0, {}},
    {"RegressionEarlyEnd", Regression, 0x7FF, 40.0f, 600, 0, {}},
    {"RegressionEarlyEndBeforeNanTargets", Regression, 0x00F, 40.0f, 600, 0, {}, true},
    {"RegressionNegativeWorst", Regression, 0x0FF, -3.0f, 300, 0, {}},
    {"RegressionNanWorst", Regression, 0x0FF, std::numeric_limits<float>::quiet_NaN(), 300, 0, {}},
    {"RegressionInfiniteWorst", Regression, 0x0FF, std::numeric_limits<float>::infinity(), 300, 0, {}},
    {"Classifier", Classifier, 0x3FF, 1e6f, 600, 0, {0.0f, 1.0f, 0.5f, -1.0f}},
    {"ClassifierTanh", Classifier, 0x7FF, 1e6f, 600, 0, {-1.0f, 1.0f, 0.0f}},
    {"ClassifierEarlyEnd", Classifier, 0x0FF, 20.0f, 600, 0, {0.0f, 1.0f}},
    {"Filter", Filter, 0x7FF, 1e6f, 520, 1, {}},
    {"NoRows", Regression, 0x0FF, -8.0f, 0, 0, {}},
};

DataTable RandomTable(std::mt19937& random, const Case& c) {
    DataTable table(static_cast<std::size_t>(c.dataRows));
    for (std::vector<float>& row : table) {
        for (int input = 0; input < 3; ++input)
            row.push_back(c.plainInputs ? std::uniform_real_distribution<float>(1, 3)(random)
                                        : RandomValue(random));
        const bool special = c.plainInputs ? random() % 97 == 0 : random() % 50 == 0;
        if (!c.classes.empty()) {
            row.push_back(
                c.classes[std::uniform_int_distribution<std::size_t>(0, c.classes.size() - 1)(random)]);
        } else {
            const float nonFinite = random() % 2 ? std::numeric_limits<float>::quiet_NaN() : INFINITY;
            const float odd = c.plainInputs ? nonFinite : RandomValue(random);
            row.push_back(special ? odd : std::uniform_real_distribution<float>(-3, 3)(random));
        }
    }
    return table;
}

// The first program whose fast fitness differs from the literal one, or "".
std::string FirstMismatch(const Case& c, unsigned seed) {
    std::mt19937 random(seed);
    GepSearch engine;
    engine.problem.settings.type = c.type;
    engine.problem.settings.functionFlags = c.functionFlags;
    engine.problem.settings.worstFitness = c.worstFitness;
    engine.problem.settings.omega = c.omega;
    PrepareTrainingRows(RandomTable(random, c), engine.problem.settings, engine.problem.rows, engine.problem.inputCount);
    engine.problem.constants = {0.5f, -2.0f, 3.0e-39f};
    const CallRows rows = MakeCallRows(engine.problem.rows, engine.problem.inputCount, engine.problem.constants);
    engine.slots.resize(1);

    std::vector<Program> programs;
    const int columns = engine.problem.inputCount + static_cast<int>(engine.problem.constants.size());
    for (int p = 0; p < 400; ++p) programs.push_back(RandomProgram(random, columns, true));
    for (int p = 0; p < 100; ++p) programs.push_back(programs[random() % programs.size()]);  // twins
    std::vector<const Program*> pointers;
    for (const Program& program : programs) pointers.push_back(&program);

    FastScorer scorer;
    scorer.Bind(rows, engine.problem.inputCount, engine.problem.Rules(), nullptr);
    for (int pass = 0; pass < 2; ++pass) {  // the second pass comes from the cache
        std::vector<float> fast(programs.size());
        scorer.Score(pointers.data(), pointers.size(), fast.data());
        for (std::size_t p = 0; p < programs.size(); ++p) {
            Compile(engine.slots[0].codeBuffer, programs[p]);
            const float literal = engine.EvaluateFitness(0, rows);
            // A NaN fitness is never recorded, and its sign is the compiler's choice of operand order.
            const bool bothNan = std::isnan(literal) && std::isnan(fast[p]);
            if (bothNan || std::memcmp(&literal, &fast[p], sizeof literal) == 0) continue;
            std::ostringstream text;
            text << c.name << " seed " << seed << " pass " << pass << " program #" << p << ":" << std::hex
                 << std::setfill('0');
            for (std::uint8_t byte : programs[p]) text << " " << std::setw(2) << int(byte);
            text << std::dec << std::setprecision(9) << "\nliteral " << literal << ", fast " << fast[p];
            return text.str();
        }
    }
    return "";
}

TEST(FastScoring, MatchesTheLiteralPathForEveryRule) {
    for (const Case& c : kCases) EXPECT_EQ(FirstMismatch(c, 7), "") << c.name;
}

// The same run twice, once scored the literal way: the same reports, sources, fitnesses and last
// population. Two cores of a seeded run: each worker draws a rand() sequence of its own.
TEST(FastScoring, WholeRunsReportAsTheLiteralPath) {
    for (const Case& c : kCases) {
        std::mt19937 random(5);
        const DataTable table = RandomTable(random, c);
        const CSettingsSerializer settings{
            c.type, c.functionFlags, Mersenne, 200, 200, 4, 6, 70, 10, 6, 20, 12, c.omega,
            0,      c.worstFitness,  2};
        RecordingReporter reporters[2];
        Population populations[2];
        for (int literal = 0; literal < 2; ++literal) {
            GepSearch engine;
            engine.Prepare(settings, table, 77u);
            for (std::size_t slot = 0; slot < engine.slots.size(); ++slot)
                engine.slots[slot].generator->Seed(77);
            engine.GenerateConstants();
            engine.problem.callRows = MakeCallRows(engine.problem.rows, engine.problem.inputCount, engine.problem.constants);
            engine.scoring.literalScoring = literal == 1;
            std::srand(3);
            RunControl control;
            engine.Run(reporters[literal], control);
            populations[literal] = engine.generation.population;
        }
        EXPECT_EQ(reporters[0].Calls(), reporters[1].Calls()) << c.name;
        EXPECT_EQ(reporters[0].sources, reporters[1].sources) << c.name;
        EXPECT_EQ(reporters[0].fitnesses, reporters[1].fitnesses) << c.name;
        EXPECT_EQ(populations[0], populations[1]) << c.name;
    }
}

}  // namespace
