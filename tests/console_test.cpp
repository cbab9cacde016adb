#include <gtest/gtest.h>

#include <algorithm>
#include <boost/algorithm/string.hpp>
#include <boost/filesystem.hpp>
#include <cstdlib>
#include <iostream>

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
        if (section.kind != "run") {
            runs.back().sections.push_back(section);
            continue;
        }
        if (started) runs.emplace_back();
        started = true;
        boost::split(runs.back().arguments, section.argument, boost::is_any_of(" "),
                     boost::token_compress_on);
        runs.back().arguments.erase(
            std::remove(runs.back().arguments.begin(), runs.back().arguments.end(), ""),
            runs.back().arguments.end());
    }
    return runs;
}

void CopyTree(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from))
        fs::copy_file(entry.path(), to / entry.path().filename());
}

void Prepare(const ConsoleSection& section, const std::string& directory) {
    const auto blank = section.argument.find(' ');
    const std::string path = directory + "/" + section.argument.substr(0, blank);
    if (section.kind == "given") WriteFile(path, section.content);
    if (section.kind == "given-dir") fs::create_directories(path);
    if (section.kind == "given-link") fs::create_symlink(section.argument.substr(blank + 1), path);
    if (section.kind == "given-tree")
        CopyTree(fs::path(TARVO_SOURCE_DIR) / section.argument.substr(blank + 1), path);
}

void Check(const ConsoleSection& section, const ConsoleRun& run, const std::string& directory) {
    const std::string path = directory + "/" + section.argument;
    if (section.kind == "stdout") {
        EXPECT_EQ(run.output, section.content);
    } else if (section.kind == "stderr") {
        EXPECT_EQ(run.errors, section.content);
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

class Console : public testing::TestWithParam<std::string> {};

// A private mount namespace in which PATH is a tmpfs holding what PATH held, remounted with the
// options; then the program.
std::vector<std::string> MountPrefix(const std::string& argument) {
    const std::string path = argument.substr(0, argument.find(' ')),
                      options = argument.substr(path.size() + 1);
    return {"unshare",
            "--mount",
            "sh",
            "-ec",
            "t=$(mktemp -d); cp -a " + path + "/. $t; mount -t tmpfs tmpfs " + path + "; cp -a $t/. " + path +
                "; rm -rf $t; mount -o remount," + options + " " + path + "; exec \"$@\"",
            "sh"};
}

bool MountingAllowed() {
    static const bool allowed = std::system("unshare --mount mount -t tmpfs tmpfs /mnt 2>/dev/null") == 0;
    return allowed;
}


TEST_P(Console, MatchesGoldenOutput) {
    const ConsoleCase test = ParseConsoleCase(GetParam(), ReadFile(GetParam()));
    const std::string directory = MakeTemporaryDirectory();
    for (const CaseRun& caseRun : Runs(test)) {
        std::string input;
        int expected_status = 0;
        bool checksErrors = false;
        std::vector<std::string> prefix;
        for (const ConsoleSection& section : caseRun.sections) {
            if (section.kind == "mount") {
                if (!MountingAllowed()) GTEST_SKIP() << "mounting is not allowed here";
                prefix = MountPrefix(section.argument);
            }
            Prepare(section, directory);
            if (section.kind == "stdin") input = section.content;
            if (section.kind == "exit") expected_status = std::stoi(section.argument);
            if (section.kind == "stderr") checksErrors = true;
        }
        SCOPED_TRACE("tarvo " + boost::join(caseRun.arguments, " "));
        const ConsoleRun run = RunProgram(directory, input, caseRun.arguments, false, prefix);
        if (!checksErrors) std::cerr << run.errors;
        EXPECT_EQ(run.status, expected_status);
        EXPECT_EQ(run.timedOut, "") << "waited in vain";
        for (const ConsoleSection& section : caseRun.sections) Check(section, run, directory);
    }
    fs::remove_all(directory);
}

INSTANTIATE_TEST_SUITE_P(Golden, Console, testing::ValuesIn(CaseFiles("console")),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return CaseName(info.param);
                         });

}  // namespace
