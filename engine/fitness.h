#pragma once
// The fitness of a compiled program on a row set, calling it once per row.
#include "compile/code_generator.h"
#include "engine/call_rows.h"
#include "engine/fast_scorer.h"

// Half the number of misclassified rows (Classifier) or half the sum of squared errors, capped at
// half of worstFitness; a NaN output on any row scores half of worstFitness at once.
float EvaluateFitness(const CodeBuffer& buffer, const CallRows& rowSet, const FitnessRules& rules);
float CompiledFitness(CompiledFunction program, const CallRows& rowSet, const FitnessRules& rules);
