#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include "tests/console_case.h"

namespace fs = boost::filesystem;

namespace {

class Console : public testing::TestWithParam<std::string> {};

TEST_P(Console, MatchesGoldenOutput) {
    const ConsoleCase test = ParseConsoleCase(GetParam(), ReadFile(GetParam()));
    const std::string directory = MakeTemporaryDirectory();
    std::string input;
    int expected_status = 0;
    for (const ConsoleSection& section : test.sections) {
        if (section.kind == "given") WriteFile(directory + "/" + section.argument, section.content);
        if (section.kind == "given-dir") fs::create_directories(directory + "/" + section.argument);
        if (section.kind == "given-link") {
            const auto blank = section.argument.find(' ');
            fs::create_symlink(section.argument.substr(blank + 1),
                               directory + "/" + section.argument.substr(0, blank));
        }
        if (section.kind == "stdin") input = section.content;
        if (section.kind == "exit") expected_status = std::stoi(section.argument);
    }
    const ConsoleRun run = RunProgram(directory, input);
    EXPECT_EQ(run.status, expected_status);
    EXPECT_EQ(run.timedOut, "") << "waited in vain";
    for (const ConsoleSection& section : test.sections) {
        const std::string path = directory + "/" + section.argument;
        if (section.kind == "stdout") {
            EXPECT_EQ(run.output, section.content);
        } else if (section.kind == "file") {
            EXPECT_TRUE(fs::is_regular_file(path)) << section.argument;
            EXPECT_EQ(ReadFile(path), section.content) << section.argument;
        } else if (section.kind == "stdout-pattern") {
            EXPECT_TRUE(MatchesPattern(run.output, section.content)) << run.output;
        } else if (section.kind == "exists") {
            EXPECT_TRUE(fs::exists(path)) << section.argument;
        } else if (section.kind == "no-file") {
            EXPECT_FALSE(fs::exists(path)) << section.argument;
        }
    }
    fs::remove_all(directory);
}

INSTANTIATE_TEST_SUITE_P(Golden, Console, testing::ValuesIn(CaseFiles("console")),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return CaseName(info.param);
                         });

}  // namespace
