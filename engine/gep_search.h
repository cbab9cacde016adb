#pragma once
// The specified search: a population of programs scored on every row, then bred in tournaments by
// one worker per core, generation after generation.
//
// Its state is in four parts, each with one writer at a time:
// - `problem`: what the run learns from. Written by Prepare only; every thread reads it.
// - `generation`: the population and what its scoring found. Written by the coordinator between
//   breeding phases; the workers only read it, but for `nextPopulation` (see `results`).
// - `slots`: worker c uses slot c alone (its generator, rand() sequence, code buffer, scorer); the
//   coordinator uses slot 0, never while workers run.
// - `results`: where workers put their winners, under its mutex.
#include <atomic>
#include <boost/thread/mutex.hpp>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compile/code_generator.h"
#include "engine/call_rows.h"
#include "engine/fast_scorer.h"
#include "engine/fitness_cache.h"
#include "engine/repeated_sums.h"
#include "engine/search.h"
#include "engine/worker_pool.h"
#include "random/rand_stream.h"
#include "random/random.h"
#include "workspace/data_file.h"
#include "workspace/settings.h"

using Program = std::vector<std::uint8_t>;  // 3-byte instructions: opcode, operand high, operand low
using Population = std::vector<Program>;
using Rows = std::vector<std::vector<float>>;
// Fitness to program index, worst first; equal fitnesses keep the order they were recorded in.
using FitnessIndex = std::multimap<float, std::int32_t, std::greater<float>>;

// Worker slots: at least four, one per core above that, and no more cores than this.
constexpr std::int32_t kMinimumSlots = 4;
constexpr std::int32_t kMaximumCores = 256;

struct GepProblem {
    CSettingsSerializer settings{};
    Rows rows;           // inputCount inputs, then the target
    CallRows callRows;   // the rows with the constants, as compiled programs read them
    std::int32_t inputCount = 0;
    std::vector<float> constants;
    std::vector<std::uint8_t> opcodePool;
    std::string helperSource;
    std::string activationSource;
    // None: the clock seeds the generators and the workers share rand(). A seed N seeds every
    // generator with N and gives worker c a rand() sequence of its own, seeded with N + c.
    std::optional<std::uint32_t> seed;

    FitnessRules Rules() const;
    int OperandCount() const { return inputCount + settings.dummyInputs; }
};

struct GepGeneration {
    Population population;
    FitnessIndex fitnessIndex;
    float fitnessSum = 0;
    std::int32_t fitnessCount = 0;
    float bestFitness = 0;
    float maxFitness = 0;
    std::vector<float> populationFitness;  // in population order, where scoring computes them all
    Program bestProgram;
    std::vector<float> sampleInputs;
    float sampleTarget = 0;
};

struct WorkerSlot {
    std::unique_ptr<TRandom> generator;
    CRandStream rand;  // the shared rand() unless the run is seeded
    CodeBuffer codeBuffer;
    FastScorer scorer;
    RepeatedSums repeatedSums;
    Population winners;  // a seeded run's, appended in slot order after the join
};

// What the workers of one breeding phase write.
struct BreedingResults {
    boost::mutex resultsMutex;
    Population nextPopulation;  // unseeded runs: winners in the order workers finish tournaments
    Population sparePrograms;   // storage of programs no longer in use
};

// Fitness of programs already scored, so the same live part is not scored twice.
struct GepScoring {
    // Through the fast scorers rather than compiling each program and calling it per row; both
    // give the same fitness. IA-32 keeps the literal way.
    bool literalScoring = !kFastScoring;
    FitnessCache knownFitness;             // of programs scored on all rows this run
    SharedFitnessCache scoredFitness;      // learned by this generation's scorers, then known
    SharedFitnessCache tournamentFitness;  // on this breeding phase's tournament rows
};

// Where an island run joins the other islands: between a generation's scoring and its breeding,
// before the selection table is built. With a meeting, scoring reports no new best itself: the
// meeting reports the best over all islands.
enum class GenerationEnd { Next, Last, Stopped, PerfectFit };
class GepSearch;
class GenerationMeeting {
  public:
    virtual ~GenerationMeeting() = default;
    // `alone` is how generation g would end on this island alone; the result is how it ends.
    virtual GenerationEnd AfterScoring(GepSearch& search, UIUpdater& reporter, int g, GenerationEnd alone) = 0;
};

class GepSearch : public Search {
  public:
    GepSearch() = default;
    GepSearch(const GepSearch&) = delete;
    GepSearch& operator=(const GepSearch&) = delete;

    // The preparation of a run: refuses settings that cannot run (std::runtime_error, one line)
    // before it changes anything, then rebuilds everything a run starts from. The constants come
    // from `constantsSeed` where given (islands share them), else from the run's seed.
    void Prepare(const CSettingsSerializer& settings, const DataTable& table, std::optional<std::uint32_t> seed,
                 std::optional<std::uint32_t> constantsSeed = std::nullopt);
    void Run(UIUpdater& reporter, const RunControl& control) override;

    // Population initialisation.
    void CreateGenerators();
    void GenerateConstants();
    void GenerateRandomPopulation();

    // Scores the program compiled into slot `core`'s code buffer on `rowSet`.
    float EvaluateFitness(int core, const CallRows& rowSet) const;
    TRandom& Generator(int core) { return *slots[static_cast<std::size_t>(core)].generator; }

    GepProblem problem;
    GepGeneration generation;
    std::vector<WorkerSlot> slots;
    BreedingResults results;
    GepScoring scoring;
    WorkerPool workers;  // the threads of the parallel phases
    GenerationMeeting* meeting = nullptr;  // not owned; none in a single process
};

// One generation g of a run: scoring with its reports, then breeding unless it is the last.
GenerationEnd RunGeneration(GepSearch& search, UIUpdater& reporter, const RunControl& control, int g);
