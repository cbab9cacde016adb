#include <cmath>

#include "engine/breeding.h"

namespace {

// One tournament's programs, reused from tournament to tournament so the loop stops allocating
// once the programs have reached their sizes.
struct Scratch {
    Program parentA, parentB;
    std::vector<Program> children;
    std::vector<float> scores;
};

// evaluationRounds scorings of the same program give the same fitness each time, so the sum is
// built from one scoring, with the same float roundings; once a sum stops growing it stays.
float RepeatedScore(float fitness, std::uint64_t rounds) {
    if (std::isnan(fitness)) return rounds == 0 ? 0 : fitness;
    float score = 0;
    for (std::uint64_t round = 0; round < rounds; ++round) {
        const float next = score + fitness;
        if (next == score) break;
        score = next;
    }
    return score;
}

}  // namespace

void CEngine::Breed(int core, const CallRows& tournamentRows) {
    TRandom& random = *generators[static_cast<std::size_t>(core)];
    const std::int32_t n = settings.population;
    const std::int32_t tournaments = n / (2 * settings.cores);
    const std::int32_t pairs = settings.tournamentSize / 2;
    const std::uint64_t evaluationRounds =
        rows.size() * TruncatedPercent(settings.tournamentDataPercent) / 100;
    const int operandCount = inputCount + settings.dummyInputs;
    const std::size_t poolSize = opcodePool.size();

    const float mean = fitnessSum / static_cast<float>(fitnessCount);
    std::vector<std::int32_t> selectionTable(static_cast<std::size_t>(std::max(n, 0)));
    BuildSelectionTable(fitnessIndex, SelectionWeights(mean, maxFitness, bestFitness), mean, selectionTable);
    if (selectionTable.empty()) return;

    Scratch s;
    s.children.resize(2 * static_cast<std::size_t>(pairs));
    s.scores.resize(s.children.size());
    for (std::int32_t t = 0; t < tournaments; ++t) {
        if (t % 25 == 0) reporter->Tick();
        if (StopRequested()) {
            reporter->EngineStopped();
            return;
        }
        for (std::int32_t pair = 0; pair < pairs; ++pair) {
            const std::int32_t i = selectionTable[static_cast<std::size_t>(random.NextInt(0, n - 1))];
            const std::int32_t j = selectionTable[static_cast<std::size_t>(random.NextInt(0, n - 1))];
            s.parentA = population[static_cast<std::size_t>(i)];
            s.parentB = population[static_cast<std::size_t>(j)];
            Program& child1 = s.children[2 * static_cast<std::size_t>(pair)];
            Program& child2 = s.children[2 * static_cast<std::size_t>(pair) + 1];
            const int x = random.NextInt(0, 100);
            if (settings.crossoverPercent > static_cast<float>(x) && i != j) {
                Crossover(random, s.parentA, s.parentB, child1, child2);
            } else {
                child1 = s.parentA;
                child2 = s.parentB;
                Duplicate(random, settings.mutationPercent, poolSize, child1);
                Duplicate(random, settings.mutationPercent, poolSize, child2);
            }
            CRandStream& rand = randStreams[static_cast<std::size_t>(core)];
            MutateFirstChild(random, rand, settings.mutationPercent, child1, operandCount, opcodePool);
            MutateSecondChild(random, rand, settings.mutationPercent, child2, operandCount, opcodePool);
        }
        for (std::size_t k = 0; k < s.children.size(); ++k) {
            if (evaluationRounds == 0) {
                s.scores[k] = 0;
                continue;
            }
            Compile(codeBuffers[static_cast<std::size_t>(core)], s.children[k]);
            s.scores[k] = RepeatedScore(EvaluateFitness(core, tournamentRows), evaluationRounds);
        }
        const Winners winners = PickWinners(s.scores);
        AppendWinners(core, s.children[winners.winner], s.children[winners.runnerUp]);
    }
}
