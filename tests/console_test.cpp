// Golden cases of both programs: tarvo's (tests/console/*.case) and tarvo-formula's
// (tests/formula/*.case). tarvo-formula's cases give their arguments one a line ("=== args") and
// expect empty output where they show none; their program files are as the console writes them.
#include <gtest/gtest.h>

#include <boost/algorithm/string.hpp>
#include <boost/filesystem.hpp>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "tests/console_case.h"

namespace fs = boost::filesystem;

namespace {

// One run of the program and the sections that belong to it.
struct CaseRun {
    std::vector<std::string> arguments;
    std::vector<ConsoleSection> sections;
};

// Sections before the first "run" belong to the first run; a file without "run" is one run.
std::vector<CaseRun> Runs(const ConsoleCase& test) {
    std::vector<CaseRun> runs(1);
    bool started = false;
    for (const ConsoleSection& section : test.sections) {
        std::istringstream lines(section.content);
        for (std::string line; section.kind == "args" && std::getline(lines, line);)
            runs.back().arguments.push_back(line);
        if (section.kind != "run") {
            runs.back().sections.push_back(section);
            continue;
        }
        if (started) runs.emplace_back();
        started = true;
        runs.back().arguments = Words(section.argument);
    }
    return runs;
}

void Prepare(const ConsoleSection& section, const std::string& directory) {
    const auto blank = section.argument.find(' ');
    const std::string path = directory + "/" + section.argument.substr(0, blank);
    if (section.kind == "given") WriteFile(path, section.content);
    if (section.kind == "given-dir") fs::create_directories(path);
    if (section.kind == "given-link") fs::create_symlink(section.argument.substr(blank + 1), path);
    if (section.kind == "given-tree")
        CopyFolder(TARVO_SOURCE_DIR "/" + section.argument.substr(blank + 1), path);
}

void Check(const ConsoleSection& section, const ConsoleRun& run, const std::string& directory) {
    const std::string& kind = section.kind;
    const std::string path = directory + "/" + section.argument;
    const std::string actual = kind == "stdout"   ? run.output
                               : kind == "stderr" ? run.errors
                               : kind == "file"   ? ReadFile(path)
                                                  : section.content;
    EXPECT_EQ(actual, section.content) << kind << " " << section.argument;
    EXPECT_TRUE(kind != "stdout-pattern" || MatchesPattern(run.output, section.content)) << run.output;
    EXPECT_TRUE(kind != "file" || fs::is_regular_file(path)) << section.argument;
    EXPECT_TRUE(kind != "exists" || fs::exists(path)) << section.argument;
    EXPECT_TRUE(kind != "no-file" || !fs::exists(path)) << section.argument;
}

// A private mount namespace in which PATH is a tmpfs holding what PATH held, remounted with the
// options; then the program.
std::vector<std::string> MountPrefix(const std::string& argument) {
    const std::vector<std::string> words = Words(argument);  // PATH OPTIONS
    std::string script =
        "t=$(mktemp -d); cp -a PATH/. $t; mount -t tmpfs tmpfs PATH; cp -a $t/. PATH; rm -rf $t; "
        "mount -o remount,OPTIONS PATH; exec \"$@\"";
    boost::replace_all(script, "PATH", words[0]);
    return {"unshare", "--mount", "sh", "-ec", boost::replace_all_copy(script, "OPTIONS", words[1]), "sh"};
}

bool MountingAllowed() {
    static const bool allowed = std::system("unshare --mount mount -t tmpfs tmpfs /mnt 2>/dev/null") == 0;
    return allowed;
}

class Console : public testing::TestWithParam<std::string> {};

TEST_P(Console, MatchesGoldenOutput) {
    const bool formulaTool = GetParam().find("/tests/formula/") != std::string::npos;
    const std::string directory = MakeTemporaryDirectory();
    for (const CaseRun& caseRun : Runs(ParseConsoleCase(GetParam(), ReadFile(GetParam())))) {
        std::string input;
        int expected_status = 0;
        std::string shown;  // which of stdout and stderr the case shows
        std::vector<std::string> prefix;
        for (const ConsoleSection& section : caseRun.sections) {
            if (section.kind == "mount" && !MountingAllowed()) GTEST_SKIP() << "mounting is not allowed here";
            if (section.kind == "mount") prefix = MountPrefix(section.argument);
            Prepare(section, directory);
            if (section.kind == "stdin") input = section.content;
            if (section.kind == "exit") expected_status = std::stoi(section.argument);
            if (boost::starts_with(section.kind, "std")) shown += section.kind.substr(3, 3);
        }
        SCOPED_TRACE("arguments " + boost::join(caseRun.arguments, " "));
        const ConsoleRun run = RunProgram(directory, input, caseRun.arguments, prefix,
                                          formulaTool ? TARVO_FORMULA_EXE : TARVO_EXE);
        if (shown.find("err") == std::string::npos) std::cerr << run.errors;
        EXPECT_EQ(run.status, expected_status);
        EXPECT_EQ(run.timedOut, "") << "waited in vain";
        EXPECT_TRUE(!formulaTool || shown.find("out") != std::string::npos || run.output.empty())
            << run.output;
        EXPECT_TRUE(!formulaTool || shown.find("err") != std::string::npos || run.errors.empty())
            << run.errors;
        for (const ConsoleSection& section : caseRun.sections) Check(section, run, directory);
    }
    fs::remove_all(directory);
}

// The *.case files of tests/console and tests/formula, sorted; a test is named for its file.
std::vector<std::string> AllCases() {
    std::vector<std::string> cases;
    for (const char* folder : {"console", "formula"})
        for (const auto& entry : fs::directory_iterator(fs::path(TARVO_SOURCE_DIR) / "tests" / folder))
            if (entry.path().extension() == ".case") cases.push_back(entry.path().string());
    std::sort(cases.begin(), cases.end());
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Golden, Console, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<std::string>& test) {
                             const fs::path path(test.param);
                             std::string name = path.stem().string();
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return (path.parent_path().filename() == "formula" ? "formula_" : "") + name;
                         });

}  // namespace
