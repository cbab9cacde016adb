#pragma once
// Everything the engine says during a run goes through this interface. The coordinator and the
// breeding workers call it at the same time and take no lock: implementations must allow that.
#include <cstddef>
#include <string>
#include <vector>

// What the tuned search says of a model: its errors on the training rows and on the rows held out
// (NaN when none are), and its size in instructions.
struct ModelScores {
    double trainingError;
    double validationError;
    std::size_t size;
};

// A member of the final front: the program file's text and its scores.
struct FrontModel {
    std::string source;
    ModelScores scores;
};

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

    // The tuned search's reports; the specified search never makes them.
    // A better model on the training rows, found by generation `generation`.
    virtual void NewBestModel(std::string /*source*/, int /*generation*/, const ModelScores& /*scores*/) {}
    // At the end of a run: the front of size against error, smallest first, and the one chosen.
    virtual void FrontFound(const std::vector<FrontModel>& /*front*/, std::size_t /*chosen*/) {}
    // Generation `generation` (0 the random one) is scored and the best of it reported.
    virtual void GenerationScored(int /*generation*/) {}
};
