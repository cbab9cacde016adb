#pragma once
// The learning engine: the run's copy of the settings, the training rows, the populations, the
// per-generation statistics, one random generator and one code buffer per worker slot, and what the
// source emitter needs.
//
// Who touches what: the console thread runs Initialise, Start, Stop and Wait, and Initialise only
// while no run is active. During a run the coordinator thread is the only writer of everything here
// except `nextPopulation`, `workerWinners` and `sparePrograms`, and it writes only while no breeding
// worker runs. Worker c uses generators[c], randStreams[c], codeBuffers[c], scorers[c] and scratch
// of its own, reads the rest, and appends to `nextPopulation` or `workerWinners`[c], and takes from
// `sparePrograms`, only under resultsMutex.
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
#include "engine/repeated_sums.h"
#include "engine/fast_scorer.h"
#include "engine/fitness_cache.h"
#include "engine/worker_pool.h"
#include "engine/progress_reporter.h"
#include "random/rand_stream.h"
#include "random/random.h"
#include "workspace/data_file.h"
#include "workspace/settings.h"

using Program = std::vector<std::uint8_t>;  // 3-byte instructions: opcode, operand high, operand low
using Population = std::vector<Program>;
using Rows = std::vector<std::vector<float>>;
// Fitness to program index, worst first; equal fitnesses keep the order they were recorded in.
using FitnessIndex = std::multimap<float, std::int32_t, std::greater<float>>;

// A run is active while its coordinator holds runMutex; Stop holds stopMutex while it waits and
// raises stopRequested for exactly that time, which every stop test reads; resultsMutex serialises
// appends to nextPopulation. Lock order: stopMutex before runMutex.
extern boost::mutex runMutex;
extern boost::mutex stopMutex;
extern boost::mutex resultsMutex;
extern std::atomic<bool> stopRequested;

// Worker slots: at least four, one per core above that, and no more cores than this.
constexpr std::int32_t kMinimumSlots = 4;
constexpr std::int32_t kMaximumCores = 256;

class GenerationMeeting;

// Which search a run makes: the specified one, or the tuned search (engine/tuned_search.h).
enum class SearchKind { Specified, Tuned };

class CEngine {
  public:
    CEngine() = default;  // allocates nothing
    virtual ~CEngine();
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // Lifecycle. Initialise refuses settings that cannot run (std::runtime_error, one line) before
    // it changes anything. With a seed the run is reproducible: see `seed`.
    void Initialise(UIUpdater& console, const CSettingsSerializer& current, const DataTable& dataTable,
                    std::optional<std::uint32_t> runSeed = std::nullopt);
    void Start();
    void Stop();
    bool StopRequested();
    // Returns once no run is active.
    void Wait();

    // Population initialisation.
    void CreateGenerators();
    void GenerateConstants();
    void GenerateRandomPopulation();

    // Scores the program compiled into codeBuffers[core] on `rowSet`.
    float EvaluateFitness(int core, const CallRows& rowSet);

    // One breeding worker: appends its tournament winners to nextPopulation.
    void Breed(int core, const CallRows& tournamentRows);
    // Where a worker's winners go: straight to nextPopulation as workers finish tournaments, or,
    // in a seeded run, to the worker's own list, which MergeWinners appends after the join in
    // worker order.
    void AppendWinners(int core, const Program& winner, const Program& runnerUp);
    void MergeWinners();
    // Empties `programs`, keeping their storage for the winners of later generations.
    void RecyclePrograms(Population& programs);

    std::vector<std::unique_ptr<TRandom>> generators;
    std::vector<CodeBuffer> codeBuffers;
    CSettingsSerializer settings{};
    Rows rows;
    UIUpdater* reporter = nullptr;  // not owned
    Population population;
    Population nextPopulation;
    FitnessIndex fitnessIndex;
    float fitnessSum = 0;
    std::int32_t fitnessCount = 0;
    float bestFitness = 0;
    float maxFitness = 0;
    std::int32_t inputCount = 0;
    std::vector<std::uint8_t> opcodePool;
    std::vector<float> sampleInputs;
    std::vector<float> constants;
    Program bestProgram;
    float sampleTarget = 0;
    std::string helperSource;
    std::string activationSource;

    CallRows callRows;  // `rows` with the constants, as compiled programs read them

    // Scoring through the fast scorers (one per slot) rather than compiling each program into its
    // code buffer and calling it per row; both give the same fitness. IA-32 keeps the literal way.
    bool literalScoring = !kFastScoring;
    std::vector<std::unique_ptr<FastScorer>> scorers;
    FitnessCache knownFitness;  // of programs scored on all rows this run
    SharedFitnessCache scoredFitness;      // learned by this generation's scorers, then known
    SharedFitnessCache tournamentFitness;  // on this breeding phase's tournament rows
    // Set while the coordinator's breeding workers run: Breed called alone learns on its own.
    SharedFitnessCache* breedingFitness = nullptr;
    std::vector<float> populationFitness;  // this generation's, in population order
    FitnessRules Rules() const;

    // None: the clock seeds the generators and the workers share rand(). A seed N seeds every
    // generator with N and gives worker c a rand() sequence of its own, seeded with N + c.
    std::optional<std::uint32_t> seed;
    std::vector<CRandStream> randStreams;   // one per slot
    std::vector<Population> workerWinners;  // one per slot, seeded runs only
    Population sparePrograms;               // storage of programs no longer in use
    std::vector<RepeatedSums> repeatedSums;  // one per slot
    WorkerPool workers;                      // the threads of the parallel phases

    // An island run's meeting with the other islands after every generation's scoring; none in a
    // single process. Set before Start, not owned.
    GenerationMeeting* meeting = nullptr;

    // Set before Start: the search of the run, and its time budget in seconds (0: none).
    SearchKind search = SearchKind::Specified;
    double seconds = 0;
};

// The tuned search on the engine's rows and settings (engine/tuned_run.cpp).
void RunTunedSearch(CEngine& e);

// One generation g of a run: scoring with its reports, then breeding unless it is the last.
enum class GenerationEnd { Next, Last, Stopped, PerfectFit };
GenerationEnd RunGeneration(CEngine& e, int g);

// Where an island run joins the other islands: between a generation's scoring and its breeding,
// before the selection table is built. With a meeting, scoring reports no new best itself: the
// meeting reports the best over all islands.
class GenerationMeeting {
  public:
    virtual ~GenerationMeeting() = default;
    // `alone` is how generation g would end on this island alone; the result is how it ends.
    virtual GenerationEnd AfterScoring(CEngine& e, int g, GenerationEnd alone) = 0;
};

// The run's thread procedure; `holdingRunMutex` is called once the run holds runMutex.
int RunCoordinator(CEngine* engine, const std::function<void()>& holdingRunMutex = {});
