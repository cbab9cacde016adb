#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdlib>

#include "tests/console_case.h"

namespace fs = boost::filesystem;

namespace {

std::vector<std::string> CaseFiles() {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::path(TARVO_SOURCE_DIR) / "tests" / "console"))
        if (entry.path().extension() == ".case") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
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
    std::string input;
    int expected_status = 0;
    std::vector<std::string> prefix;
    for (const ConsoleSection& section : test.sections) {
        if (section.kind == "mount") {
            if (!MountingAllowed()) GTEST_SKIP() << "mounting is not allowed here";
            prefix = MountPrefix(section.argument);
        }
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
    const ConsoleRun run = RunProgram(directory, input, prefix);
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

std::string CaseName(const testing::TestParamInfo<std::string>& info) {
    std::string name = fs::path(info.param).stem().string();
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Golden, Console, testing::ValuesIn(CaseFiles()), CaseName);

}  // namespace
