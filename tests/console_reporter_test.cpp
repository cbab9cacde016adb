#include "app/console_reporter.h"

#include <gtest/gtest.h>

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/filesystem.hpp>
#include <iostream>
#include <set>
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
        int sync() override {
            flushed = str();
            return 0;
        }
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

// Each line is flushed whole; ticks need not be.
TEST(ConsoleReporter, PrintsEachLine) {
    Reporter ui;
    ui.EngineStarted(10);
    ui.BreedingStarted();
    ui.RunFailed("no data");
    ui.Tick(), ui.Tick(), ui.GenerationCompleted(7);
    ui.NewBestFit("", 1, 1234567.f);
    ui.EngineStopped();
    const std::string text =
        "Engine Started\nBreeding Started\nEngine Error: no data\n**Generation Completed: 7\n"
        "New Best Fit for generation 1 with fitness:1.23457e+06\nEngine Stopped\n";
    EXPECT_EQ(ui.output.str(), text);
    EXPECT_EQ(ui.output.flushed, text);
}

// Every remaining generation is taken to last as long as the last breeding phase.
TEST(ConsoleReporter, EstimatesTheFinish) {
    const pt::ptime start = pt::time_from_string("2026-03-05 14:03:22");
    const struct {
        int generations, completed;
        bool started;
        pt::time_duration breeding;
        std::string estimate;
    } cases[] = {
        {10, 3, true, pt::seconds(5), "2026-Mar-05 14:03:57"},
        {10, 9, true, pt::seconds(5), "2026-Mar-05 14:03:27"},
        {10, 3, false, pt::seconds(5), "not-a-date-time"},
        {2000000000, 0, true, pt::hours(1), "+infinity"},
    };
    for (const auto& c : cases) {
        Reporter ui;
        ui.EngineStarted(c.generations);
        ui.GenerationCompleted(c.completed);
        ui.now = start;
        if (c.started) ui.BreedingStarted();
        ui.now = start + c.breeding;
        ui.output.str("");
        ui.BreedingStopped();
        EXPECT_EQ(ui.output.str(), "\nBreeding Stopped\nEstimated Finish:" + c.estimate + "\n");
    }
}

// A path that cannot be written (a directory of that name, a missing directory) is said once a run.
TEST(ConsoleReporter, WritesProgramFilesExactly) {
    Reporter ui;
    const std::string source("int main() {\r\n\treturn 0;\n}\0 tail", 30);
    ui.NewBestFit(source, 12, 0.25f);
    ui.NewBestFit("first, longer text", 13, 0.2f);
    ui.NewBestFit("second", 13, 0.1f);
    fs::create_directory(ui.directory + "/program4.cpp");
    ui.output.str("");
    ui.NewBestFit("text", 4, 2.0f);
    ui.SetOutputDirectory(ui.directory + "/missing");
    ui.NewBestFit("text", 5, 2.0f);
    ui.EngineStarted(1);
    ui.NewBestFit("text", 5, 2.0f);
    EXPECT_EQ(ReadFile(ui.directory + "/program12.cpp"), source);
    EXPECT_EQ(ReadFile(ui.directory + "/program13.cpp"), "second");
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(ui.directory))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"program12.cpp", "program13.cpp", "program4.cpp"}));
    EXPECT_EQ(ui.output.str(),
              "New Best Fit for generation 4 with fitness:2\n"
              "Cannot write program file " +
                  ui.directory +
                  "/program4.cpp: Is a directory\n"
                  "New Best Fit for generation 5 with fitness:2\n"
                  "Engine Started\n"
                  "New Best Fit for generation 5 with fitness:2\n"
                  "Cannot write program file " +
                  ui.directory + "/missing/program5.cpp: No such file or directory\n");
}

}  // namespace
