#pragma once
// The reporter of `tarvo learn FILE.csv`: one progress line (redrawn in place on a terminal, else a
// line every few seconds), the program file of each better model with only the last one kept unless
// asked, and the final front, kept for the summary. The search thread reports and the progress
// thread draws at the same time: `mutex_` guards what both touch.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/progress_reporter.h"

struct ProgressShape {
    bool terminal = false;         // redraw one line in place
    std::size_t columns = 0;       // the terminal's width; a longer line is cut, as it would wrap
    double seconds = 0;            // the time budget; 0 for none
    std::int32_t generations = 0;  // the most generations
};

class TableReporter : public UIUpdater {
  public:
    TableReporter(std::string directory, bool keepPrograms, ProgressShape shape);
    ~TableReporter() override;

    // The clock and the progress thread; StopProgress clears the line on a terminal.
    void StartProgress();
    void StopProgress();

    void BreedingStarted() override {}
    void BreedingStopped() override {}
    void Tick() override {}
    void EngineStarted(int) override {}
    void EngineStopped() override {}
    void NewBestFit(std::string, int, float) override {}
    void GenerationCompleted(int) override {}
    void SetOutputDirectory(std::string) override {}
    void RunFailed(std::string message) override;
    void NewBestModel(std::string source, int generation, const ModelScores& scores) override;
    void FrontFound(const std::vector<FrontModel>& front, std::size_t chosen) override;
    void GenerationScored(int generation) override;

    // Read once the run has ended.
    const std::vector<FrontModel>& Front() const { return front_; }
    std::size_t Chosen() const { return chosen_; }
    std::string ProgramFile() const { return programFile_; }  // the last written; "" for none
    int Generations() const { return generations_; }          // scored, the first included
    double Seconds() const;                                   // since StartProgress
    // Why the run failed, and the files that could not be written; empty when all went well.
    const std::vector<std::string>& Problems() const { return problems_; }

  private:
    std::string ProgressText();
    void Draw(bool final);
    void ShowProgress();

    const std::string directory_;
    const bool keepPrograms_;
    const ProgressShape shape_;
    std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread progress_;
    std::optional<ModelScores> best_;
    int generations_ = 0;
    std::string programFile_;
    std::vector<FrontModel> front_;
    std::size_t chosen_ = 0;
    std::vector<std::string> problems_;
};

// "2.1 s of 3 s, generation 41: training error 1.23e-05, validation error 1.5e-05, size 11"
std::string ProgressLine(double elapsed, const ProgressShape& shape, int generations,
                         const std::optional<ModelScores>& best);
