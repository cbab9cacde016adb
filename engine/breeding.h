#pragma once
// The breeding operators, free functions over programs that take their random generator and their
// rand() sequence as arguments, so a worker's draws stay on its own slot.
#include <cstdint>
#include <vector>

#include "engine/gep_search.h"

// The tournament data percentage truncated toward zero; the settings check keeps it within
// 0 .. kMaximumPercent, and anything outside (or NaN) is taken as the nearer end.
constexpr float kMaximumPercent = 1e6f;
std::uint64_t TruncatedPercent(float percent);

// Linear scaling of fitness to selection weight: weight = fitness * a + b.
struct SelectionLine {
    float a = 1;
    float b = 0;
};

SelectionLine SelectionWeights(float mean, float maxFitness, float bestFitness);

// Fills `table` (its size is the population size) with program indices, best program first, each
// as often as its weight says, walking the index again until the table is full. An empty index
// leaves the table empty.
void BuildSelectionTable(const FitnessIndex& fitnessIndex, SelectionLine line, float mean,
                         std::vector<std::int32_t>& table);

// Exchanges a segment of whole instructions between the parents; the children keep their lengths.
void Crossover(TRandom& random, const Program& a, const Program& b, Program& child1, Program& child2);

// Sometimes appends a copy of a run of the child's own instructions (only while it is shorter
// than the opcode pool).
void Duplicate(TRandom& random, float mutationPercent, std::size_t poolSize, Program& child);

// Replaces the operand or the opcode of instruction `q`, choosing which with rand().
void MutateInstruction(TRandom& random, CRandStream& rand, Program& child, std::size_t q, int operandCount,
                       const std::vector<std::uint8_t>& opcodePool);

// Point mutation of a tournament's first child (position from the generator) and of its second
// (position from rand()).
void MutateFirstChild(TRandom& random, CRandStream& rand, float mutationPercent, Program& child,
                      int operandCount, const std::vector<std::uint8_t>& opcodePool);
void MutateSecondChild(TRandom& random, CRandStream& rand, float mutationPercent, Program& child,
                       int operandCount, const std::vector<std::uint8_t>& opcodePool);

// The two lowest scores, earlier children first among equals. Scores that are NaN or not below the
// largest float never win; then the first children not chosen fill the places.
struct Winners {
    std::size_t winner = 0;
    std::size_t runnerUp = 1;
};
Winners PickWinners(const std::vector<float>& scores);

// What one breeding worker reads, all of it unchanged while the workers run.
struct BreedingInput {
    const GepProblem& problem;
    const GepGeneration& generation;
    const CallRows& tournamentRows;
    bool literalScoring;
    SharedFitnessCache* learned;  // what the phase's scorers share, or null: the slot's scorer learns alone
};

// One breeding worker on its own slot: builds its selection table, runs its tournaments and hands
// each tournament's winner and runner-up to AppendWinners. Ticks every 25 tournaments and ends at
// the first tournament that finds a stop requested.
void Breed(const BreedingInput& input, WorkerSlot& slot, BreedingResults& results,
           const RunControl& control, UIUpdater& reporter);

// Where a worker's winners go: straight to the next population as workers finish tournaments, or,
// in a seeded run, to the slot's own list, which MergeWinners appends after the join in slot order.
void AppendWinners(BreedingResults& results, WorkerSlot& slot, bool seeded, const Program& winner,
                   const Program& runnerUp);
void MergeWinners(BreedingResults& results, std::vector<WorkerSlot>& slots);
// Empties `programs`, keeping their storage for the winners of later generations.
void RecyclePrograms(BreedingResults& results, Population& programs);
