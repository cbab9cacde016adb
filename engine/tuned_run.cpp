#include "engine/tuned_run.h"

#include <algorithm>
#include <stdexcept>

#include "compile/training_rows.h"
#include "engine/settings_check.h"
#include "platform/memory_size.h"
#include "platform/seconds_clock.h"

namespace {

TunedSettings TunedSettingsOf(const CSettingsSerializer& s, std::uint64_t seed, double seconds) {
    TunedSettings settings;
    settings.population = static_cast<std::size_t>(std::max(s.population, 1));
    settings.initialPopulation = static_cast<std::size_t>(std::max(s.startingPopulation, 1));
    settings.generations = s.generations;
    settings.crossover = s.crossoverPercent / 100.0;
    settings.mutation = s.mutationPercent / 100.0;
    settings.tournament = static_cast<std::size_t>(std::max(s.tournamentSize, 1));
    settings.maxInstructions = static_cast<std::size_t>(std::max(s.maxFunctions, 3));
    settings.maxConstants = static_cast<std::size_t>(s.dummyInputs - 2);  // refused below 2
    settings.functionFlags = s.functionFlags;
    settings.threads = std::max(s.cores, 1);
    settings.seed = seed;
    settings.seconds = seconds;
    return settings;
}

}  // namespace

void TunedRun::Prepare(const CSettingsSerializer& settings, const DataTable& table,
                       std::optional<std::uint32_t> seed, double seconds) {
    std::vector<std::vector<float>> rows;
    std::int32_t inputCount = 0;
    PrepareTrainingRows(table, settings, rows, inputCount);
    const std::string refusal = SettingsProblem(settings, inputCount, rows, UsableMemoryBytes());
    if (!refusal.empty()) throw std::runtime_error(refusal);
    // A program's file lists the inputs, then Dummy Inputs constants (as the specified search's
    // files do, so that the tools tell them apart); the scale and offset are two of them.
    if (settings.dummyInputs < 2) throw std::runtime_error(kTunedDummyInputsRefusal);
    const std::uint64_t runSeed = seed ? *seed : static_cast<std::uint64_t>(SecondsNow());
    std::vector<std::size_t> training, validation;
    SplitRows(rows.size(), runSeed, training, validation);
    const auto inputs = static_cast<std::uint16_t>(inputCount);
    training_ = PickTunedRows(rows, inputs, training);
    validation_ = PickTunedRows(rows, inputs, validation);
    settings_ = TunedSettingsOf(settings, runSeed, seconds);
    generations_ = settings.generations;
}

void TunedRun::Run(UIUpdater& reporter, const RunControl& control) {
    if (training_.size() == 0) {  // nothing to learn from
        reporter.EngineStarted(generations_);
        reporter.EngineStopped();
        return;
    }
    TunedSearch(training_, validation_, settings_, reporter, [&control] { return control.StopRequested(); }).Run();
}
