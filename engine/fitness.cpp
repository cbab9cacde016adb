#include <cmath>

#include "engine/engine.h"

namespace {

// A miss of a Classifier row: with Tanh the classes are -1 and 1, otherwise 0 and 1.
bool Missed(float y, float target, bool tanhClasses) {
    if (tanhClasses) return (target == -1.0f && y > -0.5f) || (target == 1.0f && y < 0.5f);
    return (target == 0.0f && y > 0.25f) || (target == 1.0f && y < 0.75f);
}

}  // namespace

// Half the number of misclassified rows (Classifier) or half the sum of squared errors, capped at
// half of worstFitness; a NaN output on any row scores half of worstFitness at once.
float CompiledFitness(CompiledFunction program, const CallRows& rowSet, const FitnessRules& rules) {
    float accumulator = 0;
    for (std::size_t i = 0; i < rowSet.size(); ++i) {
        const float y = CallCompiled(program, rowSet.Row(i));
        if (std::isnan(y)) return rules.worstFitness * 0.5f;
        const float target = rowSet.targets[i];
        if (rules.classifier) {
            if (Missed(y, target, rules.tanhClasses)) accumulator += 1.0f;
        } else {
            const float d = y - target;
            accumulator += d * d;
        }
    }
    if (accumulator > rules.worstFitness) accumulator = rules.worstFitness;
    return accumulator * 0.5f;
}

float CEngine::EvaluateFitness(int core, const CallRows& rowSet) {
    return CompiledFitness(codeBuffers[static_cast<std::size_t>(core)].Function(), rowSet, Rules());
}
