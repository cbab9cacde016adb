#pragma once
// Migration between islands: an island's best programs, with their fitnesses, travel to another
// island and replace its worst ones there, before that island builds its selection table. Every
// island scores on the same rows with the same constants, so a fitness means the same everywhere.
#include <cstdint>
#include <vector>

#include "engine/gep_search.h"

using Bytes = std::vector<std::uint8_t>;

struct Migrant {
    Program program;
    float fitness = 0;
};

// Copies of the `count` best programs of the generation just scored, best first; only programs
// the generation recorded (fitness below worstFitness) go.
std::vector<Migrant> BestMigrants(const GepGeneration& e, int count);

// The migrants replace as many of the worst programs, best migrant for the worst program: first
// the programs the generation did not record, in population order, then the recorded ones from the
// worst. The statistics that breeding selects by (fitness index, sum, count, best, max) follow.
void TakeMigrants(GepGeneration& e, const std::vector<Migrant>& migrants);

// The migrants as bytes and back: a count, then for each its fitness and length as 32-bit little
// endian words and its program bytes. Unpacking throws std::runtime_error on bytes that are not
// such a list of whole programs.
Bytes PackMigrants(const std::vector<Migrant>& migrants);
std::vector<Migrant> UnpackMigrants(const Bytes& bytes);
