#pragma once
// The Mersenne Twister MT19937. Not thread-safe; one object per thread.
#include <cstdint>

class TRandomMersenne {
  public:
    explicit TRandomMersenne(int seed);

    // Restarts from the 32-bit pattern of seed.
    void Seed(int seed);
    // Next tempered output word.
    std::uint32_t NextBits();
    // NextBits * 2^-32: a multiple of 2^-32 in [0, 1).
    double NextReal();
    // In [min, max]. Always draws; -2147483648 when max < min. An interval wider than 32-bit
    // arithmetic holds is not caught.
    int NextInt(int min, int max);

  private:
    void Regenerate();

    std::uint32_t mt[624];
    std::int32_t mti;  // next word to output; 624: regenerate first
};
