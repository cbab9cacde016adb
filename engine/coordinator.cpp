#include <boost/thread/thread.hpp>
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

// Scores every program of the generation on all rows with slot 0, reporting each new best.
Scored ScorePopulation(CEngine& e, int generation) {
    for (std::size_t p = 0; p < e.population.size(); ++p) {
        if (e.StopRequested()) return Scored::Stopped;
        Compile(e.codeBuffers[0], e.population[p]);
        const float w = e.EvaluateFitness(0, e.callRows);
        if (!(w < e.settings.worstFitness)) continue;
        if (w > e.maxFitness) e.maxFitness = w;
        if (w < e.bestFitness) {
            e.bestFitness = w;
            e.bestProgram = e.population[p];
            e.reporter->NewBestFit(
                EmitSource(e.bestProgram, e.sampleInputs, e.sampleTarget, e.helperSource, e.activationSource),
                generation, w);
            if (e.bestFitness == 0) {
                e.reporter->GenerationCompleted(generation);
                e.reporter->EngineStopped();
                return Scored::PerfectFit;
            }
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

// One worker per core, all joined before this returns; the first failure of a worker (or of
// starting one) is thrown after the join.
void RunBreedingWorkers(CEngine& e, const CallRows& tournamentRows) {
    const int cores = std::max(e.settings.cores, 0);
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(cores));
    boost::thread_group workers;
    try {
        for (int c = 0; c < cores; ++c) {
            workers.create_thread([&e, &tournamentRows, &failures, c] {
                try {
                    e.Breed(c, tournamentRows);
                } catch (...) {
                    failures[static_cast<std::size_t>(c)] = std::current_exception();
                }
            });
        }
    } catch (...) {
        workers.join_all();
        throw;
    }
    workers.join_all();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

// Returns after the run's last report but one: the caller reports EngineStopped unless a perfect
// fit already did.
bool RunGenerations(CEngine& e) {
    for (int g = 0; g < e.settings.generations; ++g) {
        if (e.StopRequested()) return true;
        ResetStatistics(e);
        const Scored scored = ScorePopulation(e, g);
        if (scored == Scored::Stopped) return true;
        if (scored == Scored::PerfectFit) return false;
        if (g + 1 >= e.settings.generations) {
            e.reporter->GenerationCompleted(g);
            return true;
        }
        e.reporter->BreedingStarted();
        RunBreedingWorkers(e, DrawTournamentRows(e));
        e.MergeWinners();
        std::swap(e.population, e.nextPopulation);
        e.nextPopulation.clear();
        e.reporter->BreedingStopped();
        e.reporter->GenerationCompleted(g);
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
