#include <algorithm>

#include "engine/breeding.h"
#include "engine/fitness.h"

namespace {

// One tournament's programs, reused from tournament to tournament so the loop stops allocating
// once the programs have reached their sizes.
struct Scratch {
    std::vector<Program> children;
    std::vector<const Program*> childPointers;
    std::vector<float> scores;
};

// Each child's fitness on the tournament rows, taken evaluationRounds times.
void ScoreChildren(const BreedingInput& input, WorkerSlot& slot, std::uint64_t evaluationRounds, Scratch& s) {
    if (evaluationRounds == 0) {
        std::fill(s.scores.begin(), s.scores.end(), 0.0f);
        return;
    }
    if (input.literalScoring) {
        const FitnessRules rules = input.problem.Rules();
        for (std::size_t k = 0; k < s.children.size(); ++k) {
            Compile(slot.codeBuffer, s.children[k]);
            s.scores[k] = EvaluateFitness(slot.codeBuffer, input.tournamentRows, rules);
        }
    } else {
        slot.scorer.Score(s.childPointers.data(), s.children.size(), s.scores.data());
    }
    for (float& score : s.scores) score = slot.repeatedSums.Of(score, evaluationRounds);
}

std::vector<std::int32_t> SelectionTable(const GepGeneration& g, std::int32_t size) {
    const float mean = g.fitnessSum / static_cast<float>(g.fitnessCount);
    std::vector<std::int32_t> table(static_cast<std::size_t>(std::max(size, 0)));
    BuildSelectionTable(g.fitnessIndex, SelectionWeights(mean, g.maxFitness, g.bestFitness), mean, table);
    return table;
}

}  // namespace

void Breed(const BreedingInput& input, WorkerSlot& slot, BreedingResults& results,
           const RunControl& control, UIUpdater& reporter) {
    const GepProblem& problem = input.problem;
    const CSettingsSerializer& settings = problem.settings;
    const Population& population = input.generation.population;
    TRandom& random = *slot.generator;
    const std::int32_t n = settings.population;
    const std::int32_t tournaments = n / (2 * settings.cores);
    const std::int32_t pairs = settings.tournamentSize / 2;
    const std::uint64_t evaluationRounds =
        problem.rows.size() * TruncatedPercent(settings.tournamentDataPercent) / 100;
    const int operandCount = problem.OperandCount();
    const std::size_t poolSize = problem.opcodePool.size();

    const std::vector<std::int32_t> selectionTable = SelectionTable(input.generation, n);
    if (selectionTable.empty()) return;

    Scratch s;
    s.children.resize(2 * static_cast<std::size_t>(pairs));
    s.scores.resize(s.children.size());
    for (const Program& child : s.children) s.childPointers.push_back(&child);
    if (!input.literalScoring)
        slot.scorer.Bind(input.tournamentRows, problem.inputCount, problem.Rules(), nullptr, input.learned);
    for (std::int32_t t = 0; t < tournaments; ++t) {
        if (t % 25 == 0) reporter.Tick();
        if (control.StopRequested()) {
            reporter.EngineStopped();
            return;
        }
        for (std::int32_t pair = 0; pair < pairs; ++pair) {
            const std::int32_t i = selectionTable[static_cast<std::size_t>(random.NextInt(0, n - 1))];
            const std::int32_t j = selectionTable[static_cast<std::size_t>(random.NextInt(0, n - 1))];
            // The population is read-only while workers run, so the parents are read in place.
            const Program& parentA = population[static_cast<std::size_t>(i)];
            const Program& parentB = population[static_cast<std::size_t>(j)];
            Program& child1 = s.children[2 * static_cast<std::size_t>(pair)];
            Program& child2 = s.children[2 * static_cast<std::size_t>(pair) + 1];
            const int x = random.NextInt(0, 100);
            if (settings.crossoverPercent > static_cast<float>(x) && i != j) {
                Crossover(random, parentA, parentB, child1, child2);
            } else {
                child1 = parentA;
                child2 = parentB;
                Duplicate(random, settings.mutationPercent, poolSize, child1);
                Duplicate(random, settings.mutationPercent, poolSize, child2);
            }
            MutateFirstChild(random, slot.rand, settings.mutationPercent, child1, operandCount, problem.opcodePool);
            MutateSecondChild(random, slot.rand, settings.mutationPercent, child2, operandCount, problem.opcodePool);
        }
        ScoreChildren(input, slot, evaluationRounds, s);
        const Winners winners = PickWinners(s.scores);
        AppendWinners(results, slot, problem.seed.has_value(), s.children[winners.winner],
                      s.children[winners.runnerUp]);
    }
}
