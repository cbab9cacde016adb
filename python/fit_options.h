#pragma once
// What a fit may ask of a run, and the run's settings chosen from it: what is not given is
// chosen as `tarvo learn` chooses it, so that the same data, options and seed learn the same formula.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "workspace/settings.h"

struct FitOptions {
    std::optional<double> seconds;                     // the time budget; 0 for none
    std::optional<std::int32_t> generations;           // the most generations, the first included
    std::optional<std::int32_t> population;            // programs kept, and children made, per generation
    std::optional<std::int32_t> maxLength;             // the longest program in instructions
    std::optional<std::vector<std::string>> functions; // "+", "-", "*", "/" and helper names
    std::optional<std::int32_t> threads;
    std::uint32_t seed = 0;
};

struct ChosenRun {
    CSettingsSerializer settings;
    double seconds;  // 0 for none
};

// Throws std::invalid_argument for a function name it does not know.
ChosenRun ChooseRun(const FitOptions& options);
