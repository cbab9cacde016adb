#include "python/fit_options.h"

#include <algorithm>
#include <boost/thread/thread.hpp>
#include <stdexcept>

#include "compile/helpers.h"

namespace {

std::int32_t FunctionFlags(const std::vector<std::string>& names) {
    static const char* const arithmetic[] = {"+", "-", "*", "/"};
    static const std::int32_t arithmeticFlags[] = {Addition, Subtraction, Multiplication, Division};
    std::int32_t flags = 0;
    for (const std::string& name : names) {
        std::int32_t flag = 0;
        for (int i = 0; i < 4; ++i)
            if (name == arithmetic[i]) flag = arithmeticFlags[i];
        for (const Helper& helper : kHelpers)
            if (name == helper.name) flag = helper.functionFlag;
        if (flag == 0)
            throw std::invalid_argument("unknown function '" + name +
                                        "': use +, -, *, /, exp, log, sin, cos, tan, sigmoid or tanh");
        flags |= flag;
    }
    return flags;
}

}  // namespace

ChosenRun ChooseRun(const FitOptions& options) {
    CSettingsSerializer s{};
    s.type = Regression;
    s.functionFlags = options.functions ? FunctionFlags(*options.functions)
                                        : Addition | Subtraction | Multiplication | Division;
    s.randomAlgorithm = Mersenne;
    s.population = options.population.value_or(500);
    s.startingPopulation = s.population;
    s.dummyInputs = 10;
    s.generations = options.generations.value_or(1000000);
    s.crossoverPercent = 90;
    s.mutationPercent = 25;
    s.tournamentSize = 5;
    s.tournamentDataPercent = 0;
    s.maxFunctions = options.maxLength.value_or(40);
    s.worstFitness = 1e30f;
    // Every thread breeds two children at least.
    const auto processors = static_cast<std::int32_t>(boost::thread::hardware_concurrency());
    s.cores = options.threads.value_or(std::max(1, std::min(processors, s.population / 2)));
    // A bound on generations alone is kept as given, so that such a run repeats exactly.
    return {s, options.seconds.value_or(options.generations ? 0 : 10)};
}
