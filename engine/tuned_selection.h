#pragma once
// Choosing parents and the next population of the tuned search. Individuals stay where they are in
// one pool; the population and the offspring are lists of positions in it, so that keeping the
// best moves no program and the programs left behind lend their storage to the next offspring.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/tuned_individual.h"
#include "engine/tuned_random.h"

using Positions = std::vector<std::uint32_t>;

// The best of `size` members of `population` drawn at random (with repetition): its position.
std::uint32_t Tournament(TunedRandom& random, const std::vector<TunedIndividual>& pool, const Positions& population,
                         std::size_t size);

// population := the best `count` of the population and the offspring together, those with the
// same error and size as a better one (twins) after all others; offspring := the rest.
void KeepBest(const std::vector<TunedIndividual>& pool, Positions& population, Positions& offspring,
              std::size_t count);
