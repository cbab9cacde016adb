// The tuned search as a run of the engine: its rows, settings, seed and stop test come from the
// engine, and it reports through the engine's reporter.
#include "engine/engine.h"
#include "engine/tuned_search.h"
#include "platform/seconds_clock.h"

void RunTunedSearch(CEngine& e) {
    const std::uint64_t seed = e.seed ? *e.seed : static_cast<std::uint64_t>(SecondsNow());
    std::vector<std::size_t> training, validation;
    SplitRows(e.rows.size(), seed, training, validation);
    const auto inputCount = static_cast<std::uint16_t>(e.inputCount);
    const TunedRows trainingRows = PickTunedRows(e.rows, inputCount, training);
    const TunedRows validationRows = PickTunedRows(e.rows, inputCount, validation);
    TunedSettings settings;
    settings.population = static_cast<std::size_t>(std::max(e.settings.population, 1));
    settings.initialPopulation = static_cast<std::size_t>(std::max(e.settings.startingPopulation, 1));
    settings.generations = e.settings.generations;
    settings.crossover = e.settings.crossoverPercent / 100.0;
    settings.mutation = e.settings.mutationPercent / 100.0;
    settings.tournament = static_cast<std::size_t>(std::max(e.settings.tournamentSize, 1));
    settings.maxInstructions = static_cast<std::size_t>(std::max(e.settings.maxFunctions, 3));
    settings.maxConstants = static_cast<std::size_t>(std::max(e.settings.dummyInputs, 0));
    settings.functionFlags = e.settings.functionFlags;
    settings.threads = std::max(e.settings.cores, 1);
    settings.seed = seed;
    settings.seconds = e.seconds;
    if (trainingRows.size() == 0) {  // nothing to learn from
        e.reporter->EngineStarted(e.settings.generations);
        e.reporter->EngineStopped();
        return;
    }
    TunedSearch(trainingRows, validationRows, settings, *e.reporter, [&e] { return e.StopRequested(); }).Run();
}
