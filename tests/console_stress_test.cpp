// Starting and stopping runs at random moments through the real program: commands 5 and 6 with
// pauses of random length between them, ended by quit or by the end of input. Built with
// ThreadSanitizer, the program exits with a status other than 0 on any report.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <random>
#include <sstream>

#include "tests/console_case.h"

namespace {

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

TEST(ConsoleStress, StartsAndStopsAtRandomMoments) {
    const unsigned seed = 2026;
    std::mt19937 random(seed);
    const std::string directory = MakeTemporaryDirectory();
    WriteFile(directory + "/work/data.dat", "0,0.11\n1,0.48\n2,1.7\n3,3.33\n4,6.03\n");
    WriteFile(directory + "/work/settings.dat",
              "22 serialization::archive 10 0 0 4 2047 4 30 30 2 1000000 70 10 4 50 8 0 0 1000 3\n");
    for (int process = 0; process < 4; ++process) {
        std::ostringstream input;
        input << "1 work\n";
        int starts = 0;
        for (int command = 0; command < 50; ++command) {
            const bool start = random() % 3 != 0;
            starts += start;
            input << (start ? "5\n" : "6\n") << "~sleep " << random() % 30 << "\n";
        }
        if (process % 2 == 0) input << "q\n";
        const ConsoleRun run = RunProgram(directory, input.str());
        EXPECT_EQ(run.status, 0) << "seed " << seed << ", process " << process;
        EXPECT_EQ(Count(run.output, "Engine Started"), starts) << "seed " << seed << ", process " << process;
        EXPECT_GE(Count(run.output, "Engine Stopped"), starts) << "seed " << seed << ", process " << process;
    }
    boost::filesystem::remove_all(directory);
}

}  // namespace
