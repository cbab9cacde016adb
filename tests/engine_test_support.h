#pragma once
// What the engine tests share: a reporter that records its calls, a generator that plays back
// scripted draws, and small program builders.
#include <gtest/gtest.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/gep_search.h"

class RecordingReporter : public UIUpdater {
  public:
    void BreedingStarted() override { Add("BreedingStarted"); }
    void BreedingStopped() override { Add("BreedingStopped"); }
    void Tick() override { Add("Tick"); }
    void EngineStarted(int total) override { Add("EngineStarted " + std::to_string(total)); }
    void EngineStopped() override { Add("EngineStopped"); }
    void NewBestFit(std::string source, int generation, float fitness) override {
        std::lock_guard<std::mutex> lock(mutex);
        sources.push_back(source);
        fitnesses.push_back(fitness);
        calls.push_back("NewBestFit " + std::to_string(generation));
    }
    void GenerationCompleted(int generation) override {
        Add("GenerationCompleted " + std::to_string(generation));
    }
    void SetOutputDirectory(std::string) override {}
    void RunFailed(std::string message) override { Add("RunFailed " + message); }

    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> lock(mutex);
        return calls;
    }

    std::mutex mutex;
    std::vector<std::string> calls;
    std::vector<std::string> sources;
    std::vector<float> fitnesses;

  private:
    void Add(const std::string& call) {
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(call);
    }
};

// Plays back scripted draws and checks that each NextInt asks for the expected interval.
class ScriptedRandom : public TRandom {
  public:
    struct Draw {
        int min, max, value;
    };
    std::deque<Draw> ints;
    std::deque<double> reals;

    void Seed(int) override {}
    double NextReal() override {
        EXPECT_FALSE(reals.empty()) << "unexpected NextReal";
        if (reals.empty()) return 0;
        const double value = reals.front();
        reals.pop_front();
        return value;
    }
    int NextInt(int min, int max) override {
        EXPECT_FALSE(ints.empty()) << "unexpected NextInt(" << min << ", " << max << ")";
        if (ints.empty()) return min;
        const Draw draw = ints.front();
        ints.pop_front();
        EXPECT_EQ(min, draw.min);
        EXPECT_EQ(max, draw.max);
        return draw.value;
    }
};

// A program from (opcode, operand) pairs.
inline Program MakeProgram(std::initializer_list<std::pair<int, int>> instructions) {
    Program program;
    for (const auto& [opcode, operand] : instructions) {
        program.push_back(static_cast<std::uint8_t>(opcode));
        program.push_back(static_cast<std::uint8_t>(operand >> 8));
        program.push_back(static_cast<std::uint8_t>(operand));
    }
    return program;
}

// Twenty programs of at most six instructions, three generations on two cores.
inline CSettingsSerializer SmallSettings() {
    const std::int32_t functions = Addition | Subtraction | Multiplication;
    return {Regression, functions, Mersenne, 20, 20, 1, 3, 70, 10, 4, 50, 6, 0, 0, 1000, 2};
}

// A whole run of the specified search on the calling thread.
inline void RunToEnd(GepSearch& search, UIUpdater& reporter, const CSettingsSerializer& settings,
                     const DataTable& table, std::optional<std::uint32_t> seed = std::nullopt) {
    search.Prepare(settings, table, seed);
    RunControl control;
    search.Run(reporter, control);
}
