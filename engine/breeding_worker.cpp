#include <algorithm>

#include "engine/breeding.h"

namespace {

// One tournament's programs, reused from tournament to tournament so the loop stops allocating
// once the programs have reached their sizes.
struct Scratch {
    std::vector<Program> children;
    std::vector<const Program*> childPointers;
    std::vector<float> scores;
};

// Each child's fitness on the tournament rows, taken evaluationRounds times.
void ScoreChildren(CEngine& e, int core, const CallRows& tournamentRows, std::uint64_t evaluationRounds,
                   Scratch& s) {
    if (evaluationRounds == 0) {
        std::fill(s.scores.begin(), s.scores.end(), 0.0f);
        return;
    }
    if (e.literalScoring) {
        for (std::size_t k = 0; k < s.children.size(); ++k) {
            Compile(e.codeBuffers[static_cast<std::size_t>(core)], s.children[k]);
            s.scores[k] = e.EvaluateFitness(core, tournamentRows);
        }
    } else {
        e.scorers[static_cast<std::size_t>(core)]->Score(s.childPointers.data(), s.children.size(), s.scores.data());
    }
    RepeatedSums& sums = e.repeatedSums[static_cast<std::size_t>(core)];
    for (float& score : s.scores) score = sums.Of(score, evaluationRounds);
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
    for (const Program& child : s.children) s.childPointers.push_back(&child);
    FastScorer& scorer = *scorers[static_cast<std::size_t>(core)];
    if (!literalScoring) scorer.Bind(tournamentRows, inputCount, Rules(), nullptr, breedingFitness);
    for (std::int32_t t = 0; t < tournaments; ++t) {
        if (t % 25 == 0) reporter->Tick();
        if (StopRequested()) {
            reporter->EngineStopped();
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
            CRandStream& rand = randStreams[static_cast<std::size_t>(core)];
            MutateFirstChild(random, rand, settings.mutationPercent, child1, operandCount, opcodePool);
            MutateSecondChild(random, rand, settings.mutationPercent, child2, operandCount, opcodePool);
        }
        ScoreChildren(*this, core, tournamentRows, evaluationRounds, s);
        const Winners winners = PickWinners(s.scores);
        AppendWinners(core, s.children[winners.winner], s.children[winners.runnerUp]);
    }
}
