#pragma once
// What a fit may ask of a run, and the run planned from it: what is not given is chosen by
// engine/learning_defaults.h as for `tarvo learn`, so that the same data, options and seed learn
// the same formula.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/learning_defaults.h"

// Values of a row that a program addresses: its operands wrap past them.
constexpr std::size_t kAddressableValues = 16384;

struct FitOptions {
    std::optional<double> seconds;                     // the time budget, more than 0
    std::optional<std::int32_t> generations;           // the most generations, the first included
    std::optional<std::int32_t> population;            // programs kept, and children made, per generation
    std::optional<std::int32_t> maxLength;             // the longest program in instructions
    std::optional<std::vector<std::string>> functions; // "+", "-", "*", "/" and helper names
    std::optional<std::int32_t> threads;
    std::uint32_t seed = 0;
};

// `rows` and `inputs` as PlanLearning takes them. Throws std::invalid_argument for a function
// name it does not know, and for more inputs than a program addresses beside its constants.
LearningPlan PlanFit(std::size_t rows, std::size_t inputs, const FitOptions& options);
