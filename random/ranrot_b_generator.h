#pragma once
// RANROT-B: 17 words, lag 10, rotations 13 and 9. Not thread-safe; one object per thread.
#include <cstdint>

class TRanrotBGenerator {
  public:
    explicit TRanrotBGenerator(int seed);

    // Restarts from the 32-bit pattern of seed; the 9 discarded draws are part of it.
    void Seed(int seed);
    // x * 2^-32 for the next raw word x: a multiple of 2^-32 in [0, 1).
    double NextReal();
    // In [min, max]; -1 without drawing when max - min + 1 <= 0 in 32-bit arithmetic.
    int NextInt(int min, int max);

    // Protected so that tests can build the never-seeded states the self-test stops on.
  protected:
    std::int32_t p1;  // entry replaced next
    std::int32_t p2;  // lagging entry
    std::uint32_t buffer[17];
    std::uint32_t bufferCopy[34];  // buffer as seeded, twice back to back, for the self-test
};
