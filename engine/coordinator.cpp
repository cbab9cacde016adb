#include <algorithm>
#include <atomic>
#include <exception>

#include "compile/source_emitter.h"
#include "engine/breeding.h"
#include "engine/engine.h"

namespace {

enum class Scored { AllScored, PerfectFit, Stopped };

void ResetStatistics(CEngine& e) {
    e.fitnessCount = 0;
    e.bestFitness = e.settings.worstFitness;
    e.maxFitness = 0;
    e.fitnessSum = 0;
    e.fitnessIndex.clear();
}

// The literal way: program after program compiled into slot 0 and run row by row.
float LiteralFitness(CEngine& e, std::size_t p) {
    Compile(e.codeBuffers[0], e.population[p]);
    return e.EvaluateFitness(0, e.callRows);
}

// Every program's fitness, spread over the cores in chunks; false when a stop cut it short. What
// the scorers learn joins the run's known fitnesses afterwards.
bool ComputeFitnesses(CEngine& e, std::vector<float>& fitness) {
    constexpr std::size_t kChunk = 32;
    const std::size_t count = e.population.size();
    fitness.assign(count, 0.0f);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stopped{false};
    const int cores = std::clamp(e.settings.cores, 1, static_cast<int>(e.scorers.size()));
    e.scoredFitness.Prepare(count);
    e.workers.Run(cores, [&](int c) {
        FastScorer& scorer = *e.scorers[static_cast<std::size_t>(c)];
        scorer.Bind(e.callRows, e.inputCount, e.Rules(), &e.knownFitness, &e.scoredFitness);
        const Program* programs[kChunk];
        for (std::size_t first; (first = next.fetch_add(kChunk)) < count;) {
            if (e.StopRequested()) {
                stopped = true;
                return;
            }
            const std::size_t n = std::min(kChunk, count - first);
            for (std::size_t i = 0; i < n; ++i) programs[i] = &e.population[first + i];
            scorer.Score(programs, n, fitness.data() + first);
        }
    });
    e.knownFitness.TakeFrom(e.scoredFitness.Unlocked());
    return !stopped;
}

// Takes the generation's fitnesses in population order, reporting each new best.
Scored ScorePopulation(CEngine& e, int generation) {
    std::vector<float>& fitness = e.populationFitness;
    if (!e.literalScoring && !ComputeFitnesses(e, fitness)) return Scored::Stopped;
    for (std::size_t p = 0; p < e.population.size(); ++p) {
        if (e.StopRequested()) return Scored::Stopped;
        const float w = e.literalScoring ? LiteralFitness(e, p) : fitness[p];
        if (!(w < e.settings.worstFitness)) continue;
        if (w > e.maxFitness) e.maxFitness = w;
        if (w < e.bestFitness) {
            e.bestFitness = w;
            e.bestProgram = e.population[p];
            if (!e.meeting)
                e.reporter->NewBestFit(EmitSource(e.bestProgram, e.sampleInputs, e.sampleTarget,
                                                  e.helperSource, e.activationSource),
                                       generation, w);
            if (e.bestFitness == 0) return Scored::PerfectFit;
        }
        e.fitnessSum += w;
        e.fitnessCount += 1;
        e.fitnessIndex.insert({w, static_cast<std::int32_t>(p)});
    }
    return Scored::AllScored;
}

// (rows x percent) / 100 + 1 rows drawn with slot 0; none from an empty row set.
CallRows DrawTournamentRows(CEngine& e) {
    std::vector<std::size_t> picks;
    if (!e.rows.empty()) {
        const std::uint64_t count =
            e.rows.size() * TruncatedPercent(e.settings.tournamentDataPercent) / 100 + 1;
        const int last = static_cast<int>(e.rows.size()) - 1;
        picks.reserve(count);
        for (std::uint64_t k = 0; k < count; ++k)
            picks.push_back(static_cast<std::size_t>(e.generators[0]->NextInt(0, last)));
    }
    return PickCallRows(e.callRows, picks);
}

// Every child of a breeding phase, or as many as the cache holds.
std::size_t ChildrenOfAPhase(const CSettingsSerializer& s) {
    const std::uint64_t cores = static_cast<std::uint64_t>(std::max(s.cores, 1));
    const std::uint64_t tournaments = static_cast<std::uint64_t>(std::max(s.population, 0)) / (2 * cores);
    const std::uint64_t children = static_cast<std::uint64_t>(std::max(s.tournamentSize, 0) / 2 * 2);
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(cores * tournaments * children, FitnessCache::kMaxEntries));
}

void RunBreedingWorkers(CEngine& e, const CallRows& tournamentRows) {
    e.tournamentFitness.Prepare(ChildrenOfAPhase(e.settings));
    e.breedingFitness = &e.tournamentFitness;
    e.workers.Run(e.settings.cores, [&e, &tournamentRows](int c) { e.Breed(c, tournamentRows); });
    e.breedingFitness = nullptr;
}

// Scoring with its reports, and how the generation ends unless a meeting decides otherwise.
GenerationEnd ScoreGeneration(CEngine& e, int g) {
    if (e.StopRequested()) return GenerationEnd::Stopped;
    ResetStatistics(e);
    switch (ScorePopulation(e, g)) {
        case Scored::Stopped:
            return GenerationEnd::Stopped;
        case Scored::PerfectFit:
            return GenerationEnd::PerfectFit;
        case Scored::AllScored:
            break;
    }
    return g + 1 >= e.settings.generations ? GenerationEnd::Last : GenerationEnd::Next;
}

// Returns after the run's last report but one: the caller reports EngineStopped unless a perfect
// fit already did.
bool RunGenerations(CEngine& e) {
    for (int g = 0; g < e.settings.generations; ++g) {
        const GenerationEnd end = RunGeneration(e, g);
        if (end == GenerationEnd::PerfectFit) return false;
        if (end != GenerationEnd::Next) return true;
    }
    return true;
}

void Run(CEngine& e) {
    e.reporter->EngineStarted(e.settings.generations);
    e.GenerateRandomPopulation();
    if (!e.rows.empty()) PrepareSample(e.rows, e.constants, e.sampleInputs, e.sampleTarget);
    if (RunGenerations(e)) e.reporter->EngineStopped();
}

}  // namespace

GenerationEnd RunGeneration(CEngine& e, int g) {
    GenerationEnd end = ScoreGeneration(e, g);
    if (e.meeting) end = e.meeting->AfterScoring(e, g, end);
    switch (end) {
        case GenerationEnd::Stopped:
            return end;
        case GenerationEnd::PerfectFit:
            e.reporter->GenerationCompleted(g);
            e.reporter->EngineStopped();
            return end;
        case GenerationEnd::Last:
            e.reporter->GenerationCompleted(g);
            return end;
        case GenerationEnd::Next:
            break;
    }
    e.reporter->BreedingStarted();
    RunBreedingWorkers(e, DrawTournamentRows(e));
    e.MergeWinners();
    std::swap(e.population, e.nextPopulation);
    e.RecyclePrograms(e.nextPopulation);
    e.reporter->BreedingStopped();
    e.reporter->GenerationCompleted(g);
    return GenerationEnd::Next;
}

// Holds runMutex for the whole run and releases it last, whatever happens; a failure is reported
// on one line and ends the run like a stop.
int RunCoordinator(CEngine* engine, const std::function<void()>& holdingRunMutex) {
    runMutex.lock();
    if (holdingRunMutex) holdingRunMutex();
    try {
        Run(*engine);
    } catch (const std::exception& error) {
        engine->reporter->RunFailed(error.what());
        engine->reporter->EngineStopped();
    } catch (...) {
        engine->reporter->RunFailed("unknown error");
        engine->reporter->EngineStopped();
    }
    runMutex.unlock();
    return 0;
}
