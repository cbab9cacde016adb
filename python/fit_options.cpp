#include "python/fit_options.h"

#include <stdexcept>
#include <string>

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

LearningPlan PlanFit(std::size_t rows, std::size_t inputs, const FitOptions& options) {
    LearningOptions learning;
    if (options.functions) learning.functions = FunctionFlags(*options.functions);
    learning.seconds = options.seconds;
    learning.generations = options.generations;
    learning.seed = options.seed;
    learning.cores = options.threads;
    LearningPlan plan = PlanLearning(rows, inputs, learning);
    // What the learning defaults leave fixed, a fit may still choose: both are written to a
    // settings file as they are, so `tarvo learn` repeats such a run too.
    if (options.population) plan.settings.population = plan.settings.startingPopulation = *options.population;
    if (options.maxLength) plan.settings.maxFunctions = *options.maxLength;
    const auto constants = static_cast<std::size_t>(plan.settings.dummyInputs);
    if (inputs + constants > kAddressableValues)
        throw std::invalid_argument("X has " + std::to_string(inputs) + " features; a program addresses " +
                                    std::to_string(kAddressableValues) + " values, " + std::to_string(constants) +
                                    " of them its own constants");
    return plan;
}
