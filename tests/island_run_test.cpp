// Island runs of the real program: three islands under mpirun on a cubic that short programs can
// fit exactly. Without MPI, --islands says it is not available.
#include <gtest/gtest.h>

#include <boost/algorithm/string.hpp>
#include <boost/filesystem.hpp>
#include <map>
#include <regex>

#include "tests/console_case.h"

namespace fs = boost::filesystem;

namespace {

// y = x^3 + x^2 + x on -4 .. 4; one core per island.
const char kSettings[] = "22 serialization::archive 10 0 0 4 7 4 60 60 1 40 70 10 4 50 8 0 0 1000 1\n";
const char kData[] = "-4,-52\n-3,-21\n-2,-6\n-1,-1\n0,0\n1,3\n2,14\n3,39\n4,84\n";

// A `tarvo learn work ARGUMENTS` run in a fresh directory whose work/ holds these settings and data.
struct LearnOutcome {
    ConsoleRun run;
    std::string lines;                         // the output with finish estimates masked
    std::map<std::string, std::string> files;  // of work/, by name
};

LearnOutcome Learn(const std::string& settings, const std::string& data,
                   const std::vector<std::string>& arguments, const std::string& input = "",
                   const std::vector<std::string>& prefix = {}) {
    const std::string directory = MakeTemporaryDirectory();
    WriteFile(directory + "/work/settings.dat", settings);
    WriteFile(directory + "/work/data.dat", data);
    std::vector<std::string> words = {"learn", "work"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    LearnOutcome outcome;
    outcome.run = RunProgram(directory, input, words, prefix);
    outcome.lines =
        std::regex_replace(outcome.run.output, std::regex("Estimated Finish:.*"), "Estimated Finish:");
    for (const auto& entry : fs::directory_iterator(directory + "/work"))
        outcome.files[entry.path().filename().string()] = ReadFile(entry.path().string());
    fs::remove_all(directory);
    return outcome;
}

#ifdef TARVO_MPIEXEC

// mpirun with P processes, allowed to run as root.
std::vector<std::string> Mpirun(int processes) {
    std::vector<std::string> words = {"env", "OMPI_ALLOW_RUN_AS_ROOT=1", "OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1",
                                      TARVO_MPIEXEC};
    if (processes > 0) words.insert(words.end(), {"--oversubscribe", "-n", std::to_string(processes)});
    return words;
}

LearnOutcome Islands(const std::vector<std::string>& arguments, const std::string& input = "",
                     const std::string& settings = kSettings, const std::string& data = kData) {
    return Learn(settings, data, arguments, input, Mpirun(3));
}

// Every file is the settings, the data or a whole program file of a generation that was reported.
void ExpectWholeProgramFiles(const LearnOutcome& outcome) {
    for (const auto& [name, text] : outcome.files) {
        if (name == "settings.dat" || name == "data.dat") continue;
        std::smatch generation;
        ASSERT_TRUE(std::regex_match(name, generation, std::regex("program(\\d+)\\.cpp"))) << name;
        EXPECT_TRUE(boost::ends_with(text, "\treturn 0;\n}\n")) << name;
        EXPECT_NE(outcome.lines.find("New Best Fit for generation " + generation[1].str() + " with"),
                  std::string::npos)
            << name;
    }
}

// The generation of the run's perfect fit, -1 without one.
int PerfectGeneration(const std::string& lines) {
    std::smatch match;
    if (!std::regex_search(lines, match, std::regex("generation (\\d+) with fitness:0\n"))) return -1;
    return std::stoi(match[1]);
}

TEST(IslandRun, OnlyTheFirstIslandSpeaksAndASeededRunRepeats) {
    const std::vector<std::string> arguments = {"--islands", "--seed",          "3", "--generations",
                                                "8",         "--migrate-every", "2"};
    const LearnOutcome first = Islands(arguments), second = Islands(arguments);
    EXPECT_EQ(first.run.status, 0) << first.run.errors;
    const std::regex line(
        "Using Settings\\.\nUsing Data\\.\nData file exists\\. \nTotal Rows\\. 9\nTotal Columns: 2\n"
        "Engine Started\n"
        "(New Best Fit for generation (\\d) with fitness:.*\n(Breeding Started\n\\**\nBreeding Stopped\n"
        "Estimated Finish:\n)?Generation Completed: \\2\n){8}Engine Stopped\n");
    EXPECT_TRUE(std::regex_match(first.lines, line)) << first.lines;
    ExpectWholeProgramFiles(first);
    EXPECT_EQ(first.lines, second.lines);
    EXPECT_EQ(first.files, second.files);
}

TEST(IslandRun, APerfectFitOnAnotherIslandEndsAll) {
    // Without migrants island 0 runs as a single run of the same seed, which fits no sooner.
    const LearnOutcome islands = Islands({"--islands", "--migrants", "0", "--seed", "6"});
    const int generation = PerfectGeneration(islands.lines);
    ASSERT_GE(generation, 0) << islands.lines;
    const int alone = PerfectGeneration(Learn(kSettings, kData, {"--seed", "6"}).lines);
    EXPECT_TRUE(alone < 0 || alone > generation);
    EXPECT_EQ(islands.run.status, 0);
    EXPECT_TRUE(boost::ends_with(islands.lines, "with fitness:0\nGeneration Completed: " +
                                                    std::to_string(generation) + "\nEngine Stopped\n"))
        << islands.lines;
}

// Island 0 without a run to start (mpirun starts it apart, before the ":"): no island starts, and
// none waits for it. Island 0 says why; island 1 says what it would have said, on standard error.
TEST(IslandRun, NoIslandStartsUnlessAllCan) {
    std::vector<std::string> launcher = Mpirun(0);
    launcher.insert(launcher.end(),
                    {"-n", "1", TARVO_EXE, "learn", "elsewhere", "--islands", ":", "-n", "1"});
    const LearnOutcome outcome = Learn(kSettings, kData, {"--islands"}, "", launcher);
    EXPECT_NE(outcome.run.status, 0);
    EXPECT_EQ(outcome.run.output, "No Settings Created. Create Settings: '3'\n");
    EXPECT_NE(
        outcome.run.errors.find("island 1: Total Columns: 2\nisland 1: Another island could not start.\n"),
        std::string::npos)
        << outcome.run.errors;
}

// mpirun stops passing output on at once when it is interrupted, sends SIGTERM a second later and
// SIGKILL a second after that: island 0 ends cleanly only while what it prints meanwhile fits the
// pipe. So these generations are slow (many rows, large tournaments, and a worst fitness so large
// that no program ends early and no population settles into one cached fitness) and print little.
TEST(IslandRun, AnInterruptedRunEndsOnEveryIslandWithFilesWhole) {
    std::string rows;
    for (int i = 0; i < 100000; ++i) rows += std::to_string(i) + "," + std::to_string(i % 977) + ".5\n";
    const LearnOutcome outcome = Islands(
        {"--islands"}, "~wait Generation Completed: 2\n~signal INT\n",
        "22 serialization::archive 10 0 0 4 2047 4 60 60 2 100000 70 30 200 100 12 0 0 1e+30 1\n", rows);
    EXPECT_NE(outcome.run.status, 0);
    EXPECT_TRUE(boost::ends_with(outcome.lines, "\nEngine Stopped\n")) << outcome.lines;
    ExpectWholeProgramFiles(outcome);
}

#else

TEST(IslandRun, IsNotAvailableWithoutMpi) {
    const LearnOutcome outcome = Learn(kSettings, kData, {"--islands"});
    EXPECT_EQ(outcome.run.status, 2);
    EXPECT_EQ(outcome.run.output, "");
    EXPECT_EQ(outcome.run.errors, "tarvo: --islands is not available: this tarvo was built without MPI\n");
}

#endif

}  // namespace
