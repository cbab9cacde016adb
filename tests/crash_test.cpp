// The real program killed with SIGKILL at random moments while it saves settings, imports data and
// writes program files: every file it leaves is whole, the old content or the new, and the next
// command in the directory removes the temporary files that a killed writer left. Against a power
// loss, what reaches the disk when is watched instead.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <boost/algorithm/string/predicate.hpp>
#include <boost/filesystem.hpp>
#include <random>

#include "tests/console_case.h"
#include "workspace/file_replacement.h"

namespace fs = boost::filesystem;

namespace {

constexpr int kKills = 201;

// Dialog answers: Regression, Mersenne, populations, 2000 generations, ..., two different records.
const char kAnswersA[] = "1 3 20 20 1 2000 70 10 4 50 1000 y y y n n n n n n n n 8 2\n";
const char kAnswersB[] = "1 1 30 30 2 2000 60 20 3 40 500 y n y n n n n n n n n 6 1\n";

std::string Rows(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(i) + "," + std::to_string(i * 0.5) + "\n";
    return text;
}

std::string Repeat(const std::string& text, int times) {
    std::string result;
    while (times-- > 0) result += text;
    return result;
}

std::vector<std::string> Temporaries(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        if (entry.path().extension() == ".tmp") names.push_back(entry.path().filename().string());
    return names;
}

// Each file present holds one of the contents written to it, whole.
void ExpectWhole(const std::string& work, const std::string& settingsA, const std::string& settingsB,
                 const std::string& dataX, const std::string& dataY) {
    const std::string settings = ReadFile(work + "/settings.dat");
    EXPECT_TRUE(settings == settingsA || settings == settingsB) << settings;
    const std::string data = ReadFile(work + "/data.dat");
    EXPECT_TRUE(data == dataX || data == dataY) << data.size() << " bytes of data.dat";
    for (const auto& entry : fs::directory_iterator(work)) {
        if (!boost::starts_with(entry.path().filename().string(), "program")) continue;
        if (entry.path().extension() != ".cpp") continue;
        const std::string source = ReadFile(entry.path().string());
        EXPECT_TRUE(boost::starts_with(source, "#include \"stdafx.h\"") &&
                    boost::ends_with(source, "\treturn 0;\n}\n"))
            << entry.path() << " is cut short: " << source.size() << " bytes";
    }
}

TEST(CrashSafety, FilesAreWholeAfterKillsAtRandomMoments) {
    const std::string directory = MakeTemporaryDirectory(), work = directory + "/work";
    const std::string dataX = Rows(8), dataY = Rows(40000);
    WriteFile(directory + "/x.csv", dataX);
    WriteFile(directory + "/y.csv", dataY);
    RunProgram(directory, std::string("1 work 3 ") + kAnswersB + "q\n");
    const std::string settingsB = ReadFile(work + "/settings.dat");
    RunProgram(directory, std::string("1 work 4 x.csv 3 ") + kAnswersA + "q\n");
    const std::string settingsA = ReadFile(work + "/settings.dat");
    ASSERT_NE(settingsA, settingsB);
    ASSERT_EQ(ReadFile(work + "/data.dat"), dataX);

    const std::string scripts[] = {
        "1 work\n" + Repeat(std::string("3 ") + kAnswersB + "3 " + kAnswersA, 40),  // settings saves
        "1 work\n" + Repeat("4 y.csv\n4 x.csv\n", 20),                              // data imports
        "1 work\n5\n",                                                              // a run
    };
    std::mt19937 random(17);
    int leftBehind = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const int pause = std::uniform_int_distribution<int>(0, 150)(random);
        const ConsoleRun run =
            RunProgram(directory, scripts[kill % 3] + "~sleep " + std::to_string(pause) + "\n~signal KILL\n");
        ASSERT_EQ(run.status, 128 + SIGKILL) << "kill " << kill << ": the program ended by itself";
        ExpectWhole(work, settingsA, settingsB, dataX, dataY);
        if (Temporaries(work).empty()) continue;
        ++leftBehind;
        RunProgram(directory, "1 work\n");
        EXPECT_EQ(Temporaries(work), std::vector<std::string>{}) << "after kill " << kill;
        if (HasFailure()) break;
    }
    std::cout << kKills << " kills, " << leftBehind << " left temporary files\n";
    fs::remove_all(directory);
}

// The new file is flushed under its temporary name, before the rename, and the directory after it.
TEST(CrashSafety, ReplacementsAreFlushedBeforeAndAfterTheRename) {
    static std::string target;
    static std::vector<std::pair<std::string, std::string>> flushes;  // what, and the target then
    const std::string directory = fs::canonical(MakeTemporaryDirectory()).string();
    target = directory + "/program7.cpp";
    WriteFile(target, "old");
    int (*const sync)(int) = syncToDisk;
    syncToDisk = [](int fd) {
        char path[4096] = {};
        if (readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1) < 0) return -1;
        flushes.emplace_back(path, ReadFile(target));
        return 0;
    };
    const int error = ReplaceFile(target, "new");
    syncToDisk = sync;
    ASSERT_EQ(error, 0);
    ASSERT_EQ(flushes.size(), 2u);
    EXPECT_TRUE(boost::starts_with(flushes[0].first, target + "." + std::to_string(getpid()) + "-"))
        << flushes[0].first;
    EXPECT_EQ(flushes[0].second, "old");
    EXPECT_EQ(flushes[1], std::make_pair(directory, std::string("new")));
    fs::remove_all(directory);
}

}  // namespace
