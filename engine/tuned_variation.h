#pragma once
// Making and changing trees of the tuned search: random trees, subtree crossover and mutations.
// Each takes its random generator and writes into storage the caller keeps, so that the hot loop
// allocates nothing once the trees have reached their largest size.
#include <cstddef>
#include <vector>

#include "engine/tuned_program.h"
#include "engine/tuned_random.h"

// What trees may hold.
struct TunedGrammar {
    std::vector<TunedOp> binary, unary;  // functions the settings allow
    std::uint16_t inputCount = 0;
    std::size_t maxNodes = 0;       // nodes a tree may have
    std::size_t maxConstants = 0;   // Constant leaves a tree may have
    double constantChance = 0.3;    // of a new leaf, where constants are allowed
    double unaryChance = 0.2;       // of a new function, where unary ones are allowed
};

// The grammar of the settings' function bits.
TunedGrammar MakeGrammar(std::int32_t functionFlags, std::uint16_t inputCount, std::size_t maxNodes,
                         std::size_t maxConstants);

// Appends a random tree of `size` nodes (fewer where the grammar has no unary function to make an
// odd count) to `out`.
void AppendRandomTree(TunedRandom& random, const TunedGrammar& grammar, std::size_t size, TunedTree& out);

// `child` := `a` with one of its subtrees replaced by one of `b`, within maxNodes and maxConstants;
// a copy of `a` when no choice fits.
void Crossover(TunedRandom& random, const TunedGrammar& grammar, const TunedTree& a, const TunedTree& b,
               TunedTree& child);

// Working storage of Mutate, kept by the caller.
struct MutationScratch {
    TunedTree changed, fresh;
};

// One random change of the tree in place, within the grammar's bounds.
void Mutate(TunedRandom& random, const TunedGrammar& grammar, TunedTree& tree, MutationScratch& scratch);

std::size_t ConstantCount(const TunedNode* nodes, std::size_t count);
