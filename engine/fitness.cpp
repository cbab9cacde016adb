#include <cmath>

#include "engine/engine.h"

// Half the number of misclassified rows (Classifier) or half the sum of squared errors, capped at
// half of worstFitness; a NaN output on any row scores half of worstFitness at once.
float CEngine::EvaluateFitness(int core, const CallRows& rowSet) {
    const CompiledFunction program = codeBuffers[static_cast<std::size_t>(core)].Function();
    const bool classifier = settings.type == Classifier;
    const ClassRule classes = ClassRuleOf(settings);
    float accumulator = 0;
    for (std::size_t i = 0; i < rowSet.size(); ++i) {
        const float y = CallCompiled(program, rowSet.Row(i));
        if (std::isnan(y)) return settings.worstFitness * 0.5f;
        const float target = rowSet.targets[i];
        if (classifier) {
            if (classes.Missed(y, target)) accumulator += 1.0f;
        } else {
            const float d = y - target;
            accumulator += d * d;
        }
    }
    if (accumulator > settings.worstFitness) accumulator = settings.worstFitness;
    return accumulator * 0.5f;
}
