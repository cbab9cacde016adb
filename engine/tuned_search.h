#pragma once
// The tuned search: a population of expression trees whose constants are tuned and whose output is
// scaled linearly, bred by tournament selection, subtree crossover and mutation, the best of
// parents and offspring kept, started afresh when it stops making progress; the best program of
// each size is remembered, and at the end the front of size against error is judged on rows held
// out from training. Self-contained: it takes its rows, settings, seed, time budget, stop test and
// reporter, and keeps nothing global.
//
// Reproducible: every random draw comes from a stream fixed by the seed and the task (a
// generation and an individual), and results are combined in a fixed order, so the same inputs
// give the same reports on any number of threads. Only where a time budget or a stop ends the run
// depends on the clock.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/progress_reporter.h"
#include "engine/tuned_front.h"
#include "engine/tuned_individual.h"
#include "engine/tuned_rows.h"
#include "engine/tuned_selection.h"
#include "engine/tuned_variation.h"
#include "engine/worker_pool.h"

struct TunedSettings {
    std::size_t population = 1000;
    std::size_t initialPopulation = 1000;  // random programs the run starts from
    std::int64_t generations = 1000000;    // scorings of a population, the first included
    double crossover = 0.9;                // chance of a child to come from two parents
    double mutation = 0.25;                // chance of a child to be mutated
    std::size_t tournament = 5;
    std::size_t maxInstructions = 40;      // of a program, its scaling included
    std::size_t maxConstants = 8;          // of a program, its scale and offset aside
    std::int32_t functionFlags = 0x0FF;
    int threads = 1;
    std::uint64_t seed = 0;
    double seconds = 0;         // time budget of the run; 0 for none
    int tuningIterations = 5;   // Levenberg-Marquardt iterations per program, at least
    // A population whose best error has not fallen by `restartGain` in `restartAfter` generations
    // is replaced by random programs (0 for never); the best of each size found so far stays.
    std::int64_t restartAfter = 20;
    double restartGain = 0.2;
};

class TunedSearch {
  public:
    // The rows must outlive the search; `training` must hold at least one row.
    TunedSearch(const TunedRows& training, const TunedRows& validation, const TunedSettings& settings,
                UIUpdater& reporter, std::function<bool()> stopRequested);
    ~TunedSearch();

    // One whole run, from EngineStarted to EngineStopped.
    void Run();

  private:
    struct Worker;

    bool OutOfTime() const;
    // One generation: offspring bred and the best of all kept, or after too long without progress
    // a population drawn afresh. False when time ran out first.
    bool NextGeneration(std::int64_t generation);
    // Makes (breeds, or draws) and scores the individuals at `positions` of the pool on all
    // threads; false when time ran out first.
    bool MakeAll(const Positions& positions, std::int64_t generation, bool drawn);
    void Breed(Worker& worker, TunedRandom& random, TunedIndividual& child);
    // Tunes the individual's constants, fits its scaling and sets its error and size.
    void Score(Worker& worker, TunedIndividual& individual);
    // The exact error of the tree with its best scaling, into the individual's scaling and error.
    void Judge(Worker& worker, const TunedTree& tree, TunedIndividual& individual);
    double ValidationError(Worker& worker, const TunedIndividual& individual);
    std::string Source(Worker& worker, const TunedIndividual& individual);
    void ReportBest(std::int64_t generation);
    void Finish();

    const TunedRows& training_;
    const TunedRows& validation_;
    TunedSettings settings_;
    UIUpdater& reporter_;
    std::function<bool()> stopRequested_;
    TunedGrammar grammar_;
    std::vector<std::unique_ptr<Worker>> workers_;
    WorkerPool threads_;
    std::vector<TunedIndividual> pool_;
    Positions population_, offspring_;  // positions in pool_, the population best first
    TunedFront front_;
    double bestError_;
    // Offspring whose error in double is above this are not judged exactly: they could not be kept.
    double screen_;
    // The population's best error when it last made progress, and the generation.
    double markError_;
    std::int64_t markGeneration_ = 0;
    std::string helperSource_, activationSource_;
    std::chrono::steady_clock::time_point deadline_;
};
