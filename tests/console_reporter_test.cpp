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

TEST(ConsoleReporter, EstimatesTheFinish) {
    const pt::ptime start = pt::time_from_string("2026-03-05 14:03:22");
    for (const auto& c : DataCases("finish_estimates.txt")) {
        Reporter ui;
        ui.EngineStarted(std::stoi(c[0]));
        ui.GenerationCompleted(std::stoi(c[1]));
        ui.now = start;
        if (!c[2].empty()) ui.BreedingStarted();
        ui.now = start + pt::seconds(c[2].empty() ? 5 : std::stoi(c[2]));
        ui.output.str("");
        ui.BreedingStopped();
        EXPECT_EQ(ui.output.str(), "\nBreeding Stopped\nEstimated Finish:" + c[3] + "\n");
    }
}

}  // namespace
