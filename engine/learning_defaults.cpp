#include "engine/learning_defaults.h"

#include <algorithm>
#include <random>
#include <thread>

namespace {

// About 1000 values learn in a few seconds; larger tables get up to 10 seconds.
double SecondsFor(std::size_t rows, std::size_t inputs) {
    const double values = static_cast<double>(rows) * static_cast<double>(std::max<std::size_t>(inputs, 1));
    return std::clamp(values / 150, 3.0, 10.0);
}

// Room for a term or two per input beyond the first few, the scaling's two instructions included.
std::int32_t LongestProgram(std::size_t inputs) {
    return static_cast<std::int32_t>(std::clamp<std::size_t>(30 + 4 * inputs, 40, 80));
}

std::int32_t MachineCores() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<std::int32_t>(std::clamp<unsigned>(cores, 1, kMaximumCores));
}

}  // namespace

LearningPlan PlanLearning(std::size_t rows, std::size_t inputs, const LearningOptions& options) {
    CSettingsSerializer s{};
    s.type = Regression;
    s.functionFlags = options.functions.value_or(kDefaultFunctions);
    s.randomAlgorithm = Mersenne;
    s.startingPopulation = 1000;
    s.population = 1000;
    s.dummyInputs = 10;
    s.generations = options.generations.value_or(1000000);
    s.crossoverPercent = 90;
    s.mutationPercent = 25;
    s.tournamentSize = 5;
    s.maxFunctions = LongestProgram(inputs);
    s.cores = std::clamp(options.cores.value_or(MachineCores()), 1, kMaximumCores);

    RunSetup setup;
    setup.search = SearchKind::Tuned;
    setup.seed = options.seed ? *options.seed : std::random_device()();
    if (options.seconds)
        setup.seconds = *options.seconds;
    else if (!options.generations)
        setup.seconds = SecondsFor(rows, inputs);
    return {s, setup};
}
