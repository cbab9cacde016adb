#include "engine/gep_search.h"

#include <stdexcept>

#include "compile/function_set.h"
#include "compile/training_rows.h"
#include "engine/settings_check.h"
#include "platform/memory_size.h"

FitnessRules GepProblem::Rules() const {
    return {settings.type == Classifier, ClassRuleOf(settings), settings.worstFitness};
}

// Refuses before it changes anything; then builds everything a run starts from, in this order.
void GepSearch::Prepare(const CSettingsSerializer& settings, const DataTable& table,
                        std::optional<std::uint32_t> seed, std::optional<std::uint32_t> constantsSeed) {
    Rows rows;
    std::int32_t inputCount = problem.inputCount;
    PrepareTrainingRows(table, settings, rows, inputCount);
    const std::string refusal = SettingsProblem(settings, inputCount, rows, UsableMemoryBytes());
    if (!refusal.empty()) throw std::runtime_error(refusal);

    problem.settings = settings;
    problem.seed = constantsSeed ? constantsSeed : seed;
    CreateGenerators();
    BuildOpcodePool(settings.functionFlags, problem.opcodePool, problem.helperSource, problem.activationSource);
    problem.rows = std::move(rows);
    problem.inputCount = inputCount;
    GenerateConstants();
    if (constantsSeed) {
        problem.seed = seed;
        CreateGenerators();
    }
    problem.callRows = MakeCallRows(problem.rows, problem.inputCount, problem.constants);
    scoring.knownFitness.Reserve(1 << 14);
}
