// Golden cases of tarvo-formula (tests/formula/*.case) in the console case format, with three more
// sections: "=== args" (one argument a line), "=== stderr" (exactly), and "=== program PATH", a
// program file that the console's own emitter writes from the lines "code <hex bytes>", "inputs
// <values>" and, for the helper texts, "functions <flags>".
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <sstream>

#include "compile/function_set.h"
#include "compile/source_emitter.h"
#include "tests/console_case.h"

namespace fs = boost::filesystem;

namespace {

std::string ProgramFileText(const std::string& description) {
    std::istringstream lines(description);
    std::vector<std::uint8_t> program;
    std::vector<float> inputs;
    int functions = 0;
    for (std::string line, word; std::getline(lines, line);) {
        std::istringstream words(line);
        words >> word;
        unsigned byte = 0;
        float value = 0;
        if (word == "code")
            while (words >> std::hex >> byte) program.push_back(static_cast<std::uint8_t>(byte));
        if (word == "inputs")
            while (words >> value) inputs.push_back(value);
        if (word == "functions") words >> functions;
    }
    std::vector<std::uint8_t> pool;
    std::string helpers, activations;
    BuildOpcodePool(functions, pool, helpers, activations);
    return EmitSource(program, inputs, 0.0f, helpers, activations);
}

class FormulaToolCase : public testing::TestWithParam<std::string> {};

TEST_P(FormulaToolCase, MatchesGoldenOutput) {
    const ConsoleCase test = ParseConsoleCase(GetParam(), ReadFile(GetParam()));
    const std::string directory = MakeTemporaryDirectory();
    std::vector<std::string> args;
    int expectedStatus = 0;
    for (const ConsoleSection& section : test.sections) {
        if (section.kind == "given") WriteFile(directory + "/" + section.argument, section.content);
        if (section.kind == "program")
            WriteFile(directory + "/" + section.argument, ProgramFileText(section.content));
        if (section.kind == "args") {
            std::istringstream lines(section.content);
            for (std::string line; std::getline(lines, line);) args.push_back(line);
        }
        if (section.kind == "exit") expectedStatus = std::stoi(section.argument);
    }
    const ConsoleRun run = RunCommand(TARVO_FORMULA_EXE, args, directory);
    EXPECT_EQ(run.status, expectedStatus);
    std::string expectedOutput, expectedErrors;
    for (const ConsoleSection& section : test.sections) {
        const std::string path = directory + "/" + section.argument;
        if (section.kind == "stdout") expectedOutput = section.content;
        if (section.kind == "stderr") expectedErrors = section.content;
        if (section.kind == "exists") {
            EXPECT_TRUE(fs::is_regular_file(path)) << section.argument;
        } else if (section.kind == "no-file") {
            EXPECT_FALSE(fs::exists(path)) << section.argument;
        }
    }
    EXPECT_EQ(run.output, expectedOutput);
    EXPECT_EQ(run.errors, expectedErrors);
    fs::remove_all(directory);
}

INSTANTIATE_TEST_SUITE_P(Golden, FormulaToolCase, testing::ValuesIn(CaseFiles("formula")),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return CaseName(info.param);
                         });

}  // namespace
