#pragma once
// One fit: a tuned run of an engine of its own on a table, waited for in slices so that the caller
// can look at other things (an interrupt) between them, and what the run found. Several fits run
// at once in one process, each on its own threads.
//
// Every member function belongs to the thread that made the fit; the run's thread reports through
// the fit's own reporter.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/learning_defaults.h"

struct FitResult {
    std::vector<FrontModel> front;  // smallest first
    std::size_t chosen = 0;
};

class FitRun {
  public:
    // Refuses what the engine cannot run (std::runtime_error, one line) before anything starts.
    FitRun(const DataTable& table, const LearningPlan& plan);

    void Start();
    // True once the run has ended; waits at most `slice` for that.
    bool WaitFor(std::chrono::milliseconds slice);
    // Ends the run and returns once it has ended.
    void Stop();
    // What an ended run found. Throws std::runtime_error when it failed or found no model.
    FitResult Result() const;

  private:
    class Collector : public UIUpdater {
      public:
        void BreedingStarted() override {}
        void BreedingStopped() override {}
        void Tick() override {}
        void EngineStarted(int) override {}
        void EngineStopped() override;
        void NewBestFit(std::string, int, float) override {}
        void GenerationCompleted(int) override {}
        void SetOutputDirectory(std::string) override {}
        void RunFailed(std::string message) override;
        void FrontFound(const std::vector<FrontModel>& front, std::size_t chosen) override;

        std::mutex mutex;
        std::condition_variable stopped;
        bool ended = false;
        std::string failure;
        FitResult result;
    };

    double seconds_;
    Collector collector_;  // before the engine, which reports to it until its run has ended
    CEngine engine_;
};
