#include <algorithm>
#include <atomic>

#include "compile/source_emitter.h"
#include "engine/breeding.h"
#include "engine/fitness.h"
#include "engine/gep_search.h"

namespace {

enum class Scored { AllScored, PerfectFit, Stopped };

void ResetStatistics(GepGeneration& g, float worstFitness) {
    g.fitnessCount = 0;
    g.bestFitness = worstFitness;
    g.maxFitness = 0;
    g.fitnessSum = 0;
    g.fitnessIndex.clear();
}

// The literal way: program after program compiled into slot 0 and run row by row.
float LiteralFitness(GepSearch& s, std::size_t p) {
    Compile(s.slots[0].codeBuffer, s.generation.population[p]);
    return EvaluateFitness(s.slots[0].codeBuffer, s.problem.callRows, s.problem.Rules());
}

// Every program's fitness, spread over the cores in chunks; false when a stop cut it short. What
// the scorers learn joins the run's known fitnesses afterwards.
bool ComputeFitnesses(GepSearch& s, const RunControl& control, std::vector<float>& fitness) {
    constexpr std::size_t kChunk = 32;
    const Population& population = s.generation.population;
    const std::size_t count = population.size();
    fitness.assign(count, 0.0f);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stopped{false};
    const int cores = std::clamp(s.problem.settings.cores, 1, static_cast<int>(s.slots.size()));
    s.scoring.scoredFitness.Prepare(count);
    s.workers.Run(cores, [&](int c) {
        FastScorer& scorer = s.slots[static_cast<std::size_t>(c)].scorer;
        scorer.Bind(s.problem.callRows, s.problem.inputCount, s.problem.Rules(), &s.scoring.knownFitness,
                    &s.scoring.scoredFitness);
        const Program* programs[kChunk];
        for (std::size_t first; (first = next.fetch_add(kChunk)) < count;) {
            if (control.StopRequested()) {
                stopped = true;
                return;
            }
            const std::size_t n = std::min(kChunk, count - first);
            for (std::size_t i = 0; i < n; ++i) programs[i] = &population[first + i];
            scorer.Score(programs, n, fitness.data() + first);
        }
    });
    s.scoring.knownFitness.TakeFrom(s.scoring.scoredFitness.Unlocked());
    return !stopped;
}

// Takes the generation's fitnesses in population order, reporting each new best.
Scored ScorePopulation(GepSearch& s, UIUpdater& reporter, const RunControl& control, int g) {
    GepGeneration& gen = s.generation;
    const GepProblem& problem = s.problem;
    const bool literal = s.scoring.literalScoring;
    if (!literal && !ComputeFitnesses(s, control, gen.populationFitness)) return Scored::Stopped;
    for (std::size_t p = 0; p < gen.population.size(); ++p) {
        if (control.StopRequested()) return Scored::Stopped;
        const float w = literal ? LiteralFitness(s, p) : gen.populationFitness[p];
        if (!(w < problem.settings.worstFitness)) continue;
        if (w > gen.maxFitness) gen.maxFitness = w;
        if (w < gen.bestFitness) {
            gen.bestFitness = w;
            gen.bestProgram = gen.population[p];
            if (!s.meeting)
                reporter.NewBestFit(EmitSource(gen.bestProgram, gen.sampleInputs, gen.sampleTarget,
                                               problem.helperSource, problem.activationSource),
                                    g, w);
            if (gen.bestFitness == 0) return Scored::PerfectFit;
        }
        gen.fitnessSum += w;
        gen.fitnessCount += 1;
        gen.fitnessIndex.insert({w, static_cast<std::int32_t>(p)});
    }
    return Scored::AllScored;
}

// (rows x percent) / 100 + 1 rows drawn with slot 0; none from an empty row set.
CallRows DrawTournamentRows(GepSearch& s) {
    const Rows& rows = s.problem.rows;
    std::vector<std::size_t> picks;
    if (!rows.empty()) {
        const std::uint64_t count = rows.size() * TruncatedPercent(s.problem.settings.tournamentDataPercent) / 100 + 1;
        const int last = static_cast<int>(rows.size()) - 1;
        picks.reserve(static_cast<std::size_t>(count));  // the settings check bounded it by memory
        for (std::uint64_t k = 0; k < count; ++k)
            picks.push_back(static_cast<std::size_t>(s.Generator(0).NextInt(0, last)));
    }
    return PickCallRows(s.problem.callRows, picks);
}

// Every child of a breeding phase, or as many as the cache holds.
std::size_t ChildrenOfAPhase(const CSettingsSerializer& settings) {
    const std::uint64_t cores = static_cast<std::uint64_t>(std::max(settings.cores, 1));
    const std::uint64_t tournaments = static_cast<std::uint64_t>(std::max(settings.population, 0)) / (2 * cores);
    const std::uint64_t children = static_cast<std::uint64_t>(std::max(settings.tournamentSize, 0) / 2 * 2);
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(cores * tournaments * children, FitnessCache::kMaxEntries));
}

void RunBreedingWorkers(GepSearch& s, UIUpdater& reporter, const RunControl& control,
                        const CallRows& tournamentRows) {
    s.scoring.tournamentFitness.Prepare(ChildrenOfAPhase(s.problem.settings));
    const BreedingInput input{s.problem, s.generation, tournamentRows, s.scoring.literalScoring,
                              &s.scoring.tournamentFitness};
    s.workers.Run(s.problem.settings.cores, [&](int c) {
        Breed(input, s.slots[static_cast<std::size_t>(c)], s.results, control, reporter);
    });
}

// Scoring with its reports, and how the generation ends unless a meeting decides otherwise.
GenerationEnd ScoreGeneration(GepSearch& s, UIUpdater& reporter, const RunControl& control, int g) {
    if (control.StopRequested()) return GenerationEnd::Stopped;
    ResetStatistics(s.generation, s.problem.settings.worstFitness);
    switch (ScorePopulation(s, reporter, control, g)) {
        case Scored::Stopped:
            return GenerationEnd::Stopped;
        case Scored::PerfectFit:
            return GenerationEnd::PerfectFit;
        case Scored::AllScored:
            break;
    }
    return g + 1 >= s.problem.settings.generations ? GenerationEnd::Last : GenerationEnd::Next;
}

}  // namespace

GenerationEnd RunGeneration(GepSearch& s, UIUpdater& reporter, const RunControl& control, int g) {
    GenerationEnd end = ScoreGeneration(s, reporter, control, g);
    if (s.meeting) end = s.meeting->AfterScoring(s, reporter, g, end);
    switch (end) {
        case GenerationEnd::Stopped:
            return end;
        case GenerationEnd::PerfectFit:
            reporter.GenerationCompleted(g);
            reporter.EngineStopped();
            return end;
        case GenerationEnd::Last:
            reporter.GenerationCompleted(g);
            return end;
        case GenerationEnd::Next:
            break;
    }
    reporter.BreedingStarted();
    RunBreedingWorkers(s, reporter, control, DrawTournamentRows(s));
    MergeWinners(s.results, s.slots);
    std::swap(s.generation.population, s.results.nextPopulation);
    RecyclePrograms(s.results, s.results.nextPopulation);
    reporter.BreedingStopped();
    reporter.GenerationCompleted(g);
    return GenerationEnd::Next;
}

// Returns after the run's last report: EngineStopped, unless a perfect fit already said it.
void GepSearch::Run(UIUpdater& reporter, const RunControl& control) {
    reporter.EngineStarted(problem.settings.generations);
    GenerateRandomPopulation();
    if (!problem.rows.empty())
        PrepareSample(problem.rows, problem.constants, generation.sampleInputs, generation.sampleTarget);
    for (int g = 0; g < problem.settings.generations; ++g) {
        const GenerationEnd end = RunGeneration(*this, reporter, control, g);
        if (end == GenerationEnd::PerfectFit) return;
        if (end != GenerationEnd::Next) break;
    }
    reporter.EngineStopped();
}
