#include "app/console_reporter.h"

#include <gtest/gtest.h>

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/filesystem.hpp>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/program_file.h"

namespace {

namespace fs = boost::filesystem;
namespace pt = boost::posix_time;

// Captures std::cout and counts its flushes for the life of the object.
class CapturedOutput : public std::stringbuf {
  public:
    CapturedOutput() : previous(std::cout.rdbuf(this)) {}
    ~CapturedOutput() override { std::cout.rdbuf(previous); }
    int flushes = 0;

  protected:
    int sync() override {
        ++flushes;
        return 0;
    }

  private:
    std::streambuf* previous;
};

// A fresh directory, removed with everything in it.
struct TemporaryDirectory {
    fs::path path = fs::temp_directory_path() / fs::unique_path("tarvo-reporter-%%%%-%%%%-%%%%");
    TemporaryDirectory() { fs::create_directories(path); }
    ~TemporaryDirectory() { fs::remove_all(path); }
    std::vector<std::string> Names() const {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
            names.insert(entry.path().filename().string());
        }
        return {names.begin(), names.end()};
    }
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path.string(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The clock is whatever the test set last.
struct ClockedReporter : CTarvoUI {
    pt::ptime now{pt::not_a_date_time};
    pt::ptime Now() override { return now; }
};

const pt::ptime kStart(boost::gregorian::date(2026, boost::gregorian::Mar, 5), pt::time_duration(14, 3, 22));

TEST(ConsoleReporter, PrintsEachLineWithOneFlush) {
    TemporaryDirectory directory;
    struct Case {
        const char* name;
        std::function<void(CTarvoUI&)> call;
        std::string output;
        int flushes;
    };
    const Case cases[] = {
        {"BreedingStarted", [](CTarvoUI& ui) { ui.BreedingStarted(); }, "Breeding Started\n", 1},
        {"Tick", [](CTarvoUI& ui) { ui.Tick(); }, "*", 0},
        {"Ticks", [](CTarvoUI& ui) { ui.Tick(), ui.Tick(), ui.Tick(); }, "***", 0},
        {"EngineStarted", [](CTarvoUI& ui) { ui.EngineStarted(10); }, "Engine Started\n", 1},
        {"EngineStopped", [](CTarvoUI& ui) { ui.EngineStopped(); }, "Engine Stopped\n", 1},
        {"GenerationCompleted", [](CTarvoUI& ui) { ui.GenerationCompleted(7); }, "Generation Completed: 7\n",
         1},
        {"SetOutputDirectory", [](CTarvoUI& ui) { ui.SetOutputDirectory("elsewhere"); }, "", 0},
        {"BreedingStopped without a start", [](CTarvoUI& ui) { ui.BreedingStopped(); },
         "\nBreeding Stopped\nEstimated Finish:not-a-date-time\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTarvoUI ui;
        ui.SetOutputDirectory(directory.path.string());
        CapturedOutput output;
        c.call(ui);
        EXPECT_EQ(output.str(), c.output);
        EXPECT_EQ(output.flushes, c.flushes);
    }
}

TEST(ConsoleReporter, NewBestFitWritesFitnessWithSixSignificantDigits) {
    TemporaryDirectory directory;
    struct Case {
        int generation;
        float fitness;
        std::string line;
    };
    const Case cases[] = {
        {12, 0.5f, "New Best Fit for generation 12 with fitness:0.5\n"},
        {0, 0.0f, "New Best Fit for generation 0 with fitness:0\n"},
        {3, 3.14159265f, "New Best Fit for generation 3 with fitness:3.14159\n"},
        {4, 0.1f, "New Best Fit for generation 4 with fitness:0.1\n"},
        {5, 1234567.0f, "New Best Fit for generation 5 with fitness:1.23457e+06\n"},
        {6, 1e-7f, "New Best Fit for generation 6 with fitness:1e-07\n"},
        {-1, std::numeric_limits<float>::infinity(), "New Best Fit for generation -1 with fitness:inf\n"},
    };
    CTarvoUI ui;
    ui.SetOutputDirectory(directory.path.string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CapturedOutput output;
        ui.NewBestFit("source", c.generation, c.fitness);
        EXPECT_EQ(output.str(), c.line);
        EXPECT_EQ(output.flushes, 1);
    }
}

TEST(ConsoleReporter, EstimatesTheFinishFromTheLastBreedingPhase) {
    struct Case {
        const char* name;
        std::function<void(CTarvoUI&)> before;  // after EngineStarted(10)
        bool started;
        std::string estimate;
    };
    const Case cases[] = {
        {"six generations left", [](CTarvoUI& ui) { ui.GenerationCompleted(3); }, true,
         "2026-Mar-05 14:03:57"},
        {"last generation", [](CTarvoUI& ui) { ui.GenerationCompleted(9); }, true, "2026-Mar-05 14:03:27"},
        {"past the last", [](CTarvoUI& ui) { ui.GenerationCompleted(12); }, true, "2026-Mar-05 14:03:12"},
        {"generation of a new best fit", [](CTarvoUI& ui) { ui.NewBestFit("", 5, 1.0f); }, true,
         "2026-Mar-05 14:03:47"},
        {"EngineStarted restarts the count",
         [](CTarvoUI& ui) {
             ui.GenerationCompleted(8);
             ui.EngineStarted(10);
         },
         true, "2026-Mar-05 14:04:12"},
        {"no BreedingStarted", [](CTarvoUI& ui) { ui.GenerationCompleted(3); }, false, "not-a-date-time"},
    };
    TemporaryDirectory directory;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClockedReporter ui;
        ui.SetOutputDirectory(directory.path.string());
        CapturedOutput output;
        ui.EngineStarted(10);
        c.before(ui);
        ui.now = kStart;
        if (c.started) ui.BreedingStarted();
        ui.now = kStart + pt::seconds(5);
        output.str("");
        ui.BreedingStopped();
        EXPECT_EQ(output.str(), "\nBreeding Stopped\nEstimated Finish:" + c.estimate + "\n");
    }
}

TEST(ConsoleReporter, AFinishPastTheCalendarsEndIsInfinity) {
    ClockedReporter ui;
    CapturedOutput output;
    ui.EngineStarted(2000000000);
    ui.now = kStart;
    ui.BreedingStarted();
    ui.now = kStart + pt::hours(1);
    output.str("");
    ui.BreedingStopped();
    EXPECT_EQ(output.str(), "\nBreeding Stopped\nEstimated Finish:+infinity\n");
}

TEST(ConsoleReporter, WritesTheProgramFileExactly) {
    TemporaryDirectory directory;
    CTarvoUI ui;
    ui.SetOutputDirectory(directory.path.string());
    CapturedOutput output;
    const std::string source("int main() {\r\n\treturn 0;\n}\0 tail", 30);
    ui.NewBestFit(source, 12, 0.25f);
    EXPECT_EQ(ReadFile(directory.path / "program12.cpp"), source);

    ui.NewBestFit("first, longer text", 13, 0.2f);
    ui.NewBestFit("second", 13, 0.1f);
    EXPECT_EQ(ReadFile(directory.path / "program13.cpp"), "second");
    EXPECT_EQ(directory.Names(), (std::vector<std::string>{"program12.cpp", "program13.cpp"}));
}

TEST(ConsoleReporter, SkipsAProgramFileThatCannotBeWritten) {
    TemporaryDirectory directory;
    fs::create_directory(directory.path / "program4.cpp");
    const struct {
        std::string outputDirectory;
        int generation;
    } cases[] = {
        {(directory.path / "missing").string(), 3}, {directory.path.string(), 4},  // a directory of that name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outputDirectory);
        CTarvoUI ui;
        ui.SetOutputDirectory(c.outputDirectory);
        CapturedOutput output;
        EXPECT_NO_THROW(ui.NewBestFit("text", c.generation, 2.0f));
        EXPECT_EQ(output.str(),
                  "New Best Fit for generation " + std::to_string(c.generation) + " with fitness:2\n");
    }
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"program4.cpp"});
    EXPECT_TRUE(fs::is_empty(directory.path / "program4.cpp"));
}

TEST(ProgramFile, PathUsesTheDirectoryUnchanged) {
    EXPECT_EQ(ProgramFilePath("c:/runs", 12), "c:/runs/program12.cpp");
    EXPECT_EQ(ProgramFilePath("", 12), "/program12.cpp");
    EXPECT_EQ(ProgramFilePath("runs/", -1), "runs//program-1.cpp");
}

TEST(ProgramFile, ConcurrentWritersLeaveOneWholeText) {
    TemporaryDirectory directory;
    const std::string path = (directory.path / "program7.cpp").string();
    std::vector<std::string> texts;
    for (char c : {'a', 'b', 'c', 'd'}) texts.push_back(std::string(100000, c));
    std::vector<std::thread> writers;
    for (const std::string& text : texts) {
        writers.emplace_back([&path, &text] {
            for (int i = 0; i < 20; ++i) WriteProgramFile(path, text);
        });
    }
    for (std::thread& writer : writers) writer.join();
    const std::string result = ReadFile(path);
    EXPECT_NE(std::find(texts.begin(), texts.end(), result), texts.end()) << result.substr(0, 20);
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"program7.cpp"});
}

}  // namespace
