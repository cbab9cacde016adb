// Learning speed on the standard configuration, the fast scoring beside the literal one.
//
//   cmake -S . -B build/bench -G Ninja -DTARVO_BENCH=ON -DTARVO_TESTS=OFF && cmake --build build/bench
//   build/bench/learning_bench [--fast-only] [--no-throughput] [--generations N] [--cores N] [ROWS ...]
//       (rows default to 100 1000 10000 100000; --fast-only leaves the literal figures out;
//       --generations: how many are timed, 3 by default; --cores: only that many, not 1 and 2)
//
// Standard configuration: Regression; + - * / sin cos; ROTB; starting and standard population
// 1,000; 4 dummy inputs; crossover 70; mutation 10; tournament size 6; tournament data 20; worst
// fitness 1e6; at most 20 functions. Data: y = x0*x0 + x0*x1 with x0, x1 uniform in [-2, 2] and a
// noise of 1e-4, so that no program ends the run with a perfect fit. Fixed seeds throughout.
//
// Prints (a) kernel throughput: original instructions x rows per second on one core, on all
// programs of a random population (standard mix, then arithmetic only), without the fitness cache
// and the early end; (b) one whole generation (scoring plus breeding) in ms, the median of
// generations 1 to 3, each from the state a run on one core reaches before it, on 1 and 2 cores,
// fast and literal, with the cache hits and the rows the
// early end left out, and the processor time of a fast generation (all cores together).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace {

using Clock = std::chrono::steady_clock;

class SilentReporter : public UIUpdater {
  public:
    void BreedingStarted() override {}
    void BreedingStopped() override {}
    void Tick() override {}
    void EngineStarted(int) override {}
    void EngineStopped() override {}
    void NewBestFit(std::string, int, float) override {}
    void GenerationCompleted(int) override {}
    void SetOutputDirectory(std::string) override {}
    void RunFailed(std::string) override {}
};

CSettingsSerializer StandardSettings(std::int32_t functionFlags, int cores) {
    CSettingsSerializer s{};
    s.type = Regression;
    s.functionFlags = functionFlags;
    s.randomAlgorithm = ROTB;
    s.startingPopulation = 1000;
    s.population = 1000;
    s.dummyInputs = 4;
    s.generations = 1000000;
    s.crossoverPercent = 70;
    s.mutationPercent = 10;
    s.tournamentSize = 6;
    s.tournamentDataPercent = 20;
    s.maxFunctions = 20;
    s.worstFitness = 1e6f;
    s.cores = cores;
    return s;
}

constexpr std::int32_t kStandardMix = Addition | Subtraction | Multiplication | Division | Sin | Cos;
constexpr std::int32_t kArithmetic = Addition | Subtraction | Multiplication | Division;

DataTable StandardData(int rows) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> x(-2, 2);
    std::normal_distribution<float> noise(0, 1e-4f);
    DataTable table;
    for (int r = 0; r < rows; ++r) {
        const float x0 = x(random), x1 = x(random);
        table.push_back({x0, x1, x0 * x0 + x0 * x1 + noise(random)});
    }
    return table;
}

// An engine ready for generation 0, the same on every call.
void Prepare(GepSearch& engine, UIUpdater& /*reporter*/, const CSettingsSerializer& settings, const DataTable& table,
             bool literal) {
    engine.Prepare(settings, table, std::nullopt);
    for (std::size_t slot = 0; slot < engine.slots.size(); ++slot)
        engine.slots[slot].generator->Seed(static_cast<int>(1000 + slot));
    engine.GenerateConstants();
    engine.problem.callRows = MakeCallRows(engine.problem.rows, engine.problem.inputCount, engine.problem.constants);
    engine.scoring.literalScoring = literal;
    std::srand(1);
    engine.GenerateRandomPopulation();
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Time this thread has run: throughput per core, undisturbed by other processes.
double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

void KernelThroughput(const char* name, std::int32_t functionFlags, int rows) {
    SilentReporter reporter;
    GepSearch engine;
    Prepare(engine, reporter, StandardSettings(functionFlags, 1), StandardData(rows), false);
    std::vector<const Program*> programs;
    double instructions = 0;
    for (const Program& program : engine.generation.population) {
        programs.push_back(&program);
        instructions += static_cast<double>(program.size() / 3);
    }
    FastScorer& scorer = engine.slots[0].scorer;
    scorer.useCache = scorer.earlyEnd = false;
    scorer.Bind(engine.problem.callRows, engine.problem.inputCount, engine.problem.Rules(), nullptr);
    std::vector<float> fitness(programs.size());
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        const double start = ThreadSeconds();
        scorer.Score(programs.data(), programs.size(), fitness.data());
        best = std::min(best, ThreadSeconds() - start);
    }
    std::printf("%-16s %8d rows  %6.2f G instruction-rows/s  (%.1f instructions a program, %.0f%% read only constants)\n",
                name, rows, instructions * rows / best / 1e9, instructions / static_cast<double>(programs.size()),
                100.0 * static_cast<double>(scorer.counts.constant) / static_cast<double>(scorer.counts.programs));
}

// Processor time of the whole process, all threads.
double ProcessSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

struct GenerationFigures {
    double ms = 0;
    double cpuMs = 0;  // processor time, all cores together
    double knownShare = 0, skippedShare = 0;
};

int timedGenerations = 3;
std::vector<int> coreCounts = {1, 2};

ScoringCounts CountsSoFar(const GepSearch& engine) {
    ScoringCounts all;
    for (const WorkerSlot& slot : engine.slots) {
        all.programs += slot.scorer.counts.programs;
        all.known += slot.scorer.counts.known;
        all.rows += slot.scorer.counts.rows;
        all.rowsSkipped += slot.scorer.counts.rowsSkipped;
    }
    return all;
}

// Past generation 0 every core's thread and scorer have run, code memory and buffers grown: so
// also here, without touching the run's caches, before a generation is timed.
void WarmUp(GepSearch& engine, int cores) {
    engine.workers.Run(cores, [&engine](int c) {
        SharedFitnessCache scratch;
        scratch.Prepare(engine.generation.population.size());
        FastScorer& scorer = engine.slots[static_cast<std::size_t>(c)].scorer;
        scorer.Bind(engine.problem.callRows, engine.problem.inputCount, engine.problem.Rules(), nullptr, &scratch);
        std::vector<const Program*> programs;
        for (const Program& program : engine.generation.population) programs.push_back(&program);
        std::vector<float> fitness(programs.size());
        scorer.Score(programs.data(), programs.size(), fitness.data());
    });
}

struct Sample {
    double ms, cpuMs;
    ScoringCounts counts;
};

// Generation g on `cores`, from the state that a run on one core reaches before it. Each core
// count and either scoring (they reach the same states) so time the same work; runs on different
// core counts would otherwise evolve apart and time different populations.
Sample TimeGeneration(int rows, int g, int cores, bool literal) {
    SilentReporter reporter;
    GepSearch engine;
    RunControl control;
    Prepare(engine, reporter, StandardSettings(kStandardMix, 1), StandardData(rows), false);
    for (int k = 0; k < g; ++k)
        if (RunGeneration(engine, reporter, control, k) != GenerationEnd::Next) std::fprintf(stderr, "the run ended early\n");
    engine.problem.settings.cores = cores;
    engine.scoring.literalScoring = literal;
    WarmUp(engine, cores);
    const ScoringCounts before = CountsSoFar(engine);
    const Clock::time_point start = Clock::now();
    const double cpuStart = ProcessSeconds();
    if (RunGeneration(engine, reporter, control, g) != GenerationEnd::Next) std::fprintf(stderr, "the run ended early\n");
    Sample sample{Seconds(start) * 1e3, (ProcessSeconds() - cpuStart) * 1e3, CountsSoFar(engine)};
    sample.counts.programs -= before.programs;
    sample.counts.known -= before.known;
    sample.counts.rows -= before.rows;
    sample.counts.rowsSkipped -= before.rowsSkipped;
    return sample;
}

// Generations 1 .. timedGenerations (only the first for the slow literal scoring of many rows).
GenerationFigures TimeGenerations(int rows, int cores, bool literal) {
    const int timed = literal && rows > 10000 ? 1 : timedGenerations;
    std::vector<double> times, cpuTimes;
    ScoringCounts all;
    for (int g = 1; g <= timed; ++g) {
        const Sample sample = TimeGeneration(rows, g, cores, literal);
        times.push_back(sample.ms);
        cpuTimes.push_back(sample.cpuMs);
        all.programs += sample.counts.programs;
        all.known += sample.counts.known;
        all.rows += sample.counts.rows;
        all.rowsSkipped += sample.counts.rowsSkipped;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    GenerationFigures figures{times[times.size() / 2], cpuTimes[cpuTimes.size() / 2]};
    if (all.programs > 0) {
        figures.knownShare = static_cast<double>(all.known) / static_cast<double>(all.programs);
        figures.skippedShare =
            static_cast<double>(all.rowsSkipped) / static_cast<double>(all.rows + all.rowsSkipped);
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> rowCounts;
    bool fastOnly = false, throughput = true;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--fast-only") {
            fastOnly = true;
        } else if (std::string(argv[i]) == "--no-throughput") {
            throughput = false;
        } else if (std::string(argv[i]) == "--generations" && i + 1 < argc) {
            timedGenerations = std::max(1, std::atoi(argv[++i]));
        } else if (std::string(argv[i]) == "--cores" && i + 1 < argc) {
            coreCounts = {std::max(1, std::atoi(argv[++i]))};
        } else {
            rowCounts.push_back(std::atoi(argv[i]));
        }
    }
    if (rowCounts.empty()) rowCounts = {100, 1000, 10000, 100000};

    if (throughput) {
        std::printf("(a) kernel throughput, one core, no cache, no early end\n");
        KernelThroughput("standard mix", kStandardMix, 10000);
        KernelThroughput("arithmetic only", kArithmetic, 10000);
    }

    std::printf("\n(b) one generation, ms (median of %d after a first)\n", timedGenerations);
    std::printf("%8s %6s %10s %10s %8s %10s %9s %10s\n", "rows", "cores", "fast", "literal", "speedup",
                "cache hits", "rows left", "fast cpu");
    for (int rows : rowCounts) {
        for (int cores : coreCounts) {
            const GenerationFigures fast = TimeGenerations(rows, cores, false);
            const GenerationFigures literal = fastOnly ? GenerationFigures{} : TimeGenerations(rows, cores, true);
            std::printf("%8d %6d %10.2f %10.1f %7.0fx %9.0f%% %8.1f%% %10.2f\n", rows, cores, fast.ms, literal.ms,
                        literal.ms / fast.ms, 100 * fast.knownShare, 100 * fast.skippedShare, fast.cpuMs);
            std::fflush(stdout);
        }
    }
    return 0;
}
