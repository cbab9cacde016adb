#include "engine/fitness.h"

#include <cmath>

#include "engine/gep_search.h"

float CompiledFitness(CompiledFunction program, const CallRows& rowSet, const FitnessRules& rules) {
    float accumulator = 0;
    for (std::size_t i = 0; i < rowSet.size(); ++i) {
        const float y = CallCompiled(program, rowSet.Row(i));
        if (std::isnan(y)) return rules.worstFitness * 0.5f;
        const float target = rowSet.targets[i];
        if (rules.classifier) {
            if (rules.classes.Missed(y, target)) accumulator += 1.0f;
        } else {
            const float d = y - target;
            accumulator += d * d;
        }
    }
    if (accumulator > rules.worstFitness) accumulator = rules.worstFitness;
    return accumulator * 0.5f;
}

float EvaluateFitness(const CodeBuffer& buffer, const CallRows& rowSet, const FitnessRules& rules) {
    return CompiledFitness(buffer.Function(), rowSet, rules);
}

float GepSearch::EvaluateFitness(int core, const CallRows& rowSet) const {
    return ::EvaluateFitness(slots[static_cast<std::size_t>(core)].codeBuffer, rowSet, problem.Rules());
}
