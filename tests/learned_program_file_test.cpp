// Program files hold what was learned: every file a run writes, read back from the file alone,
// scores exactly the fitness the run reported for it, and tarvo-formula --apply on the run's rows
// gives the learned program's values, over many seeded runs that use random constants. An emulated
// x87 (the IA-32 tests under qemu) raises no stack faults: there a faulting program computes with
// whatever its stack held before, so only the programs without one are compared.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "compile/program_analysis.h"
#include "compile/source_emitter.h"
#include "formula/program_file.h"
#include "formula/tool.h"
#include "tests/console_case.h"
#include "tests/engine_test_support.h"

namespace {

bool Same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

bool Comparable(const Program& program) {
    return std::string(TARVO_EMULATOR).empty() || AnalyseProgram(program).steps.front().kind != StepKind::Nan;
}

// The fitness of a program file on the run's rows, with the constants the file holds; false for a
// program that cannot be compared.
bool FileFitness(GepSearch& engine, const std::string& source, float& fitness) {
    const ProgramFile file = ParseProgramFile("p.cpp", source);
    const std::vector<float> constants(file.values.begin() + engine.problem.inputCount, file.values.end());
    const CallRows rows = MakeCallRows(engine.problem.rows, engine.problem.inputCount, constants);
    Compile(engine.slots[0].codeBuffer, file.program);
    fitness = engine.EvaluateFitness(0, rows);
    return Comparable(file.program);
}

// The values --apply prints for the run's last program file, against the learned program's own.
std::string ApplyMismatch(GepSearch& engine, const CSettingsSerializer& settings, const std::string& source) {
    const std::string directory = MakeTemporaryDirectory();
    std::string data;
    for (const std::vector<float>& row : engine.problem.rows) {
        for (float value : row) data += ExpectedText(value) + ",";
        data.back() = '\n';
    }
    WriteFile(directory + "/data.csv", data);
    WriteFile(directory + "/program0.cpp", source);
    std::ostringstream settingsText;
    WriteSettings(settingsText, settings);
    WriteFile(directory + "/settings.dat", settingsText.str());
    std::ostringstream out, err;
    const int status = RunFormulaTool({"--apply", directory + "/data.csv", directory}, out, err);
    boost::filesystem::remove_all(directory);
    if (status != 0) return err.str();
    Compile(engine.slots[0].codeBuffer, engine.generation.bestProgram);
    std::istringstream lines(out.str());
    for (const std::vector<float>& row : engine.problem.rows) {
        std::vector<float> call(row.begin(), row.begin() + engine.problem.inputCount);
        call.insert(call.end(), engine.problem.constants.begin(), engine.problem.constants.end());
        std::string line;
        std::getline(lines, line);
        const float learned = CallCompiled(engine.slots[0].codeBuffer, call.data());
        if (!Same(std::strtof(line.c_str(), nullptr), learned)) return line + " for " + ExpectedText(learned);
    }
    return "";
}

TEST(LearnedProgramFile, ComputesWhatTheRunLearned) {
    const std::int32_t arithmetic = Addition | Subtraction | Multiplication | Division;
    const struct {
        DataTable table;
        std::int32_t functions;
        std::int32_t dummyInputs;
    } cases[] = {
        {{{1.3f, 0.8342917f}}, arithmetic, 3},
        {{{0.25f, -1.5f, 0.1234567f}, {2, 3, 7.654321f}, {-1, 0.5f, 1e-3f}}, arithmetic | Sin, 2},
        {{{0.61803398f}}, Addition | Multiplication | Tanh, 4},
    };
    int files = 0;
    for (const auto& c : cases) {
        for (std::uint32_t seed = 1; seed <= 20; ++seed) {
            CSettingsSerializer settings = SmallSettings();
            settings.functionFlags = c.functions;
            settings.dummyInputs = c.dummyInputs;
            settings.generations = 6;
            GepSearch engine;
            RecordingReporter reporter;
            RunToEnd(engine, reporter, settings, c.table, seed);
            ASSERT_FALSE(reporter.sources.empty());
            EXPECT_EQ(engine.generation.population.size(), 20u) << "seed " << seed;  // one generation's winners
            for (std::size_t k = 0; k < reporter.sources.size(); ++k) {
                float fitness = 0;
                if (!FileFitness(engine, reporter.sources[k], fitness)) continue;
                ASSERT_TRUE(Same(fitness, reporter.fitnesses[k]))
                    << "seed " << seed << ", reported " << ExpectedText(reporter.fitnesses[k])
                    << ", the file gives " << ExpectedText(fitness) << ":\n"
                    << reporter.sources[k];
                ++files;
            }
            if (Comparable(engine.generation.bestProgram)) {
                EXPECT_EQ(ApplyMismatch(engine, settings, reporter.sources.back()), "") << "seed " << seed;
            }
        }
    }
    EXPECT_GT(files, 500) << files << " files compared";
}

}  // namespace
