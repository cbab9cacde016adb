// Seeded runs of `tarvo learn` are reproducible: the same data, settings and seed give the same
// lines (finish estimates aside) and byte-identical files, on one processor or on all of them.
#include <gtest/gtest.h>

#include "tests/console_case.h"

namespace {

// Two workers breeding for several generations on rows no short program fits.
const char kSettings[] = "22 serialization::archive 10 0 0 4 2047 4 40 40 2 8 70 30 4 50 6 0 0 1000 2\n";
const char kData[] = "0,0.11\n1,0.85\n2,1.7\n3,3.4\n4,6.03\n5,9.25\n6,13.1\n7,17.9\n";

TEST(Learn, SeededRunsRepeatOnAnyNumberOfProcessors) {
    const LearnOutcome first = Learn(kSettings, kData, {"--seed", "31"}, "", true);
    const LearnOutcome second = Learn(kSettings, kData, {"--seed", "31"});
    EXPECT_EQ(first.run.status, 0);
    EXPECT_NE(first.lines.find("Generation Completed: 7"), std::string::npos) << first.lines;
    EXPECT_EQ(first.lines, second.lines);
    EXPECT_EQ(first.files, second.files);
    EXPECT_NE(Learn(kSettings, kData, {"--seed", "32"}).files, first.files) << "the seed decides the run";
}

}  // namespace
