#pragma once
// Everything the engine says during a run goes through this interface. The coordinator and the
// breeding workers call it at the same time and take no lock: implementations must allow that.
#include <string>

class UIUpdater {
  public:
    virtual ~UIUpdater() = default;

    virtual void BreedingStarted() = 0;
    virtual void BreedingStopped() = 0;
    // One progress mark per 25 tournaments of a worker.
    virtual void Tick() = 0;
    virtual void EngineStarted(int totalGenerations) = 0;
    virtual void EngineStopped() = 0;
    virtual void NewBestFit(std::string source, int generation, float fitness) = 0;
    virtual void GenerationCompleted(int generation) = 0;
    virtual void SetOutputDirectory(std::string directory) = 0;
    // A run that cannot go on (a file that cannot be replaced, memory running out) says why before
    // it reports EngineStopped.
    virtual void RunFailed(std::string message) = 0;
};
