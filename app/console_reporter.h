#pragma once
// The console's progress reporter: progress lines on standard output, the finish estimate and the
// program files of new best programs. Called from the coordinator and the breeding workers without
// a lock: Tick and EngineStopped (the calls that overlap) touch only std::cout; the fields are written
// by the coordinator alone, while no worker runs, and SetOutputDirectory before a run starts.
#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <cstdint>
#include <string>

#include "engine/progress_reporter.h"

class CTarvoUI : public UIUpdater {
  public:
    void BreedingStarted() override;
    void BreedingStopped() override;
    void Tick() override;
    void EngineStarted(int totalGenerations) override;
    void EngineStopped() override;
    void NewBestFit(std::string source, int generation, float fitness) override;
    void GenerationCompleted(int generation) override;
    void SetOutputDirectory(std::string directory) override;
    void RunFailed(std::string message) override;

    // Whether the last run reported a failure, and how many of its program files could not be
    // written; read once the run has ended.
    bool RunHasFailed() const { return runFailed; }
    int UnwrittenProgramFiles() const { return unwrittenProgramFiles; }

  protected:
    // The local clock, to the microsecond; tests replace it.
    virtual boost::posix_time::ptime Now();

  private:
    std::string outputDirectory;
    boost::posix_time::ptime breedingStart;  // not-a-date-time until the first BreedingStarted
    boost::posix_time::ptime breedingStop;
    std::int32_t currentGeneration = 0;
    std::int32_t totalGenerations = 0;
    bool runFailed = false;
    int unwrittenProgramFiles = 0;  // this run's; the first one is said at once
};
