// Seeded runs of `tarvo learn` are reproducible: the same data, settings and seed give the same
// lines (finish estimates aside) and byte-identical files, on one processor or on all of them.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <map>
#include <regex>

#include "tests/console_case.h"

namespace fs = boost::filesystem;

namespace {

// Two workers breeding for several generations on rows no short program fits.
const char kSettings[] = "22 serialization::archive 10 0 0 4 2047 4 40 40 2 8 70 30 4 50 6 0 0 1000 2\n";
const char kData[] = "0,0.11\n1,0.85\n2,1.7\n3,3.4\n4,6.03\n5,9.25\n6,13.1\n7,17.9\n";

struct Outcome {
    std::string output;  // estimated finish times masked
    std::map<std::string, std::string> files;
};

Outcome Learn(const std::string& seed, bool oneProcessor) {
    const std::string directory = MakeTemporaryDirectory();
    WriteFile(directory + "/work/settings.dat", kSettings);
    WriteFile(directory + "/work/data.dat", kData);
    const ConsoleRun run = RunProgram(directory, "", {"learn", "work", "--seed", seed}, oneProcessor);
    EXPECT_EQ(run.status, 0);
    Outcome outcome;
    outcome.output = std::regex_replace(run.output, std::regex("Estimated Finish:.*"), "Estimated Finish:");
    for (const auto& entry : fs::directory_iterator(directory + "/work"))
        outcome.files[entry.path().filename().string()] = ReadFile(entry.path().string());
    fs::remove_all(directory);
    return outcome;
}

TEST(Learn, SeededRunsRepeatOnAnyNumberOfProcessors) {
    const Outcome first = Learn("31", true), second = Learn("31", false);
    EXPECT_NE(first.output.find("Generation Completed: 7"), std::string::npos) << first.output;
    EXPECT_EQ(first.output, second.output);
    EXPECT_EQ(first.files, second.files);
    EXPECT_NE(Learn("32", false).files, first.files) << "the seed decides the run";
}

}  // namespace
