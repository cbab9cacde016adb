#include "app/console_reporter.h"

#include <gtest/gtest.h>

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/filesystem.hpp>
#include <iostream>
#include <sstream>
#include <string>

#include "tests/console_case.h"

namespace {

namespace fs = boost::filesystem;
namespace pt = boost::posix_time;

// The reporter in a sandbox: a fresh output directory, removed with everything in it; std::cout captured
// along with what of it has been flushed; a clock that is whatever the test set last.
struct Reporter : CTarvoUI {
    struct Output : std::stringbuf {
        std::string flushed;
        int sync() override { return flushed = str(), 0; }
    } output;
    std::streambuf* previous = std::cout.rdbuf(&output);
    const std::string directory = MakeTemporaryDirectory();
    pt::ptime now{pt::not_a_date_time};
    Reporter() { SetOutputDirectory(directory); }
    ~Reporter() override {
        std::cout.rdbuf(previous);
        fs::remove_all(directory);
    }
    pt::ptime Now() override { return now; }
};

// Each line is flushed whole, a failure too (the golden cases show the others).
TEST(ConsoleReporter, SaysWhyARunFailed) {
    Reporter ui;
    ui.RunFailed("no data");
    EXPECT_EQ(ui.output.flushed, "Engine Error: no data\n");
}

// Every remaining generation is taken to last as long as the last breeding phase.
TEST(ConsoleReporter, EstimatesTheFinish) {
    const pt::ptime start = pt::time_from_string("2026-03-05 14:03:22");
    const struct {
        int generations, completed, breedingSeconds;  // -1: no breeding started
        std::string estimate;
    } cases[] = {
        {10, 3, 5, "2026-Mar-05 14:03:57"},
        {10, 9, 5, "2026-Mar-05 14:03:27"},
        {10, 3, -1, "not-a-date-time"},
        {2000000000, 0, 3600, "+infinity"},
    };
    for (const auto& c : cases) {
        Reporter ui;
        ui.EngineStarted(c.generations);
        ui.GenerationCompleted(c.completed);
        ui.now = start;
        if (c.breedingSeconds >= 0) ui.BreedingStarted();
        ui.now = start + pt::seconds(c.breedingSeconds);
        ui.output.str("");
        ui.BreedingStopped();
        EXPECT_EQ(ui.output.str(), "\nBreeding Stopped\nEstimated Finish:" + c.estimate + "\n");
    }
}

}  // namespace
