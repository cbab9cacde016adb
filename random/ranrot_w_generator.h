#pragma once
// RANROT-W: 17 pairs of words, lag 10, rotations 19 (first words) and 27 (second words).
// Not thread-safe; one object per thread.
#include <cstdint>

class TRanrotWGenerator {
  public:
    explicit TRanrotWGenerator(int seed);

    // Restarts from the 32-bit pattern of seed; the 31 discarded draws are part of it.
    void Seed(int seed);
    // Next raw output word.
    std::uint32_t NextBits();
    // ((y & 0xFFFFF) * 2^32 + y) * 2^-52 for the next raw word y: in [0, 1).
    double NextReal();
    // In [min, max]; -2147483648 without drawing when max - min + 1 <= 0 in 32-bit arithmetic.
    int NextInt(int min, int max);

    // Protected so that tests can build the never-seeded states the self-test stops on.
  protected:
    std::int32_t p1;           // pair replaced next
    std::int32_t p2;           // lagging pair
    std::uint64_t outputBits;  // last output pair (y low, z high); NextReal builds its double here
    std::uint32_t buffer[17][2];
    std::uint32_t bufferCopy[34][2];  // buffer as seeded, twice back to back, for the self-test
};
