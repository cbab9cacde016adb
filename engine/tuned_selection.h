#pragma once
// Choosing parents and the next population of the tuned search.
#include <cstddef>
#include <vector>

#include "engine/tuned_individual.h"
#include "engine/tuned_random.h"

// The best of `size` individuals drawn at random (with repetition).
std::size_t Tournament(TunedRandom& random, const std::vector<TunedIndividual>& population, std::size_t size);

// population := the best `count` of the population and the offspring together, twins (the same
// error and size) behind the others; the offspring keep storage for the next ones.
void KeepBest(std::vector<TunedIndividual>& population, std::vector<TunedIndividual>& offspring,
              std::size_t count);
