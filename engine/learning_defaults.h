#pragma once
// The settings of a tuned run chosen from the data where the user gives none. The one place that
// decides them: `tarvo learn FILE.csv` and the Python module both ask here, so that the same table,
// options and seed give the same run and the same formula.
//
// Chosen from the data: the time budget (longer for larger tables) and the longest program (longer
// for more inputs). Fixed: the tuned search, Regression, + - * / exp log sin cos, 1000 programs, 10
// constants a program, tournaments of 5, 90 % crossover, 25 % mutation. The cores are the
// machine's; the tuned search gives the same result on any number of them.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/engine.h"
#include "workspace/settings.h"

// What the user may choose; each member left empty is chosen here.
struct LearningOptions {
    std::optional<std::int32_t> functions;    // FunctionFlag bits, at least one
    std::optional<double> seconds;            // the time budget, more than 0
    std::optional<std::int32_t> generations;  // the most generations, the first (random) one included
    std::optional<std::uint32_t> seed;        // none: one drawn from the system's entropy
    std::optional<std::int32_t> cores;        // threads, 1 .. kMaximumCores
};

// A run as CEngine::Initialise takes it: the settings record (as settings.dat holds it) and the
// setup, whose seed is always set so that the run can be repeated.
struct LearningPlan {
    CSettingsSerializer settings;
    RunSetup setup;
};

// `rows`: the data rows; `inputs`: the input columns, the target aside. Only generations given
// and no seconds: the run has no time budget, so that it repeats exactly with the same seed.
LearningPlan PlanLearning(std::size_t rows, std::size_t inputs, const LearningOptions& options = {});

constexpr std::int32_t kDefaultFunctions =
    Addition | Subtraction | Multiplication | Division | Exp | Log | Sin | Cos;
