#include "app/console_reporter.h"

#include <gtest/gtest.h>

#include <boost/date_time/posix_time/posix_time.hpp>
#include <cmath>
#include <iostream>
#include <sstream>
#include <string>

#include "tests/console_case.h"

namespace {

namespace pt = boost::posix_time;

// The reporter with std::cout captured and a clock that is whatever the test set last.
struct Reporter : CTarvoUI {
    std::stringbuf output;
    std::streambuf* previous = std::cout.rdbuf(&output);
    pt::ptime now{pt::not_a_date_time};
    ~Reporter() override { std::cout.rdbuf(previous); }
    pt::ptime Now() override { return now; }
};

// Every remaining generation is taken to last as long as the last breeding phase.
TEST(ConsoleReporter, EstimatesTheFinish) {
    const pt::ptime start = pt::time_from_string("2026-03-05 14:03:22");
    for (const auto& c : DataCases("finish_estimates.txt")) {
        Reporter ui;
        ui.EngineStarted(std::stoi(c[0]));
        ui.GenerationCompleted(std::stoi(c[1]));
        ui.now = start;
        if (!c[2].empty()) ui.BreedingStarted();
        ui.now = start + pt::microseconds(c[2].empty() ? 5000000 : std::llround(std::stod(c[2]) * 1e6));
        ui.output.str("");
        ui.BreedingStopped();
        EXPECT_EQ(ui.output.str(), "\nBreeding Stopped\nEstimated Finish:" + c[3] + "\n");
    }
}

// Phases of a real run take far less than a second; its clock tells them apart from none.
TEST(ConsoleReporter, ClockTicksFinerThanSeconds) {
    struct Clock : CTarvoUI {
        using CTarvoUI::Now;
    } clock;
    const pt::ptime first = clock.Now();
    pt::ptime next = first;
    while (next == first) next = clock.Now();
    EXPECT_LT(next - first, pt::seconds(1));
}

}  // namespace
