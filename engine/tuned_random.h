#pragma once
// The tuned search's random numbers: a small generator (xoshiro256**) whose stream is fixed by the
// run's seed and the task it serves (a generation and an individual), so that results do not
// depend on which thread runs a task or when.
#include <cmath>
#include <cstdint>

class TunedRandom {
  public:
    TunedRandom(std::uint64_t seed, std::uint64_t stream, std::uint64_t task) {
        std::uint64_t mix = seed ^ (stream * 0x9E3779B97F4A7C15ull) ^ (task * 0xD1B54A32D192ED03ull);
        for (std::uint64_t& word : state_) word = SplitMix(mix);
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotate(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = Rotate(state_[3], 45);
        return result;
    }

    // Uniform in [0, 1).
    double Real() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Uniform in [0, n); n > 0.
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>((Next() >> 32) * n >> 32); }
    bool Chance(double p) { return Real() < p; }
    // Standard normal (Box-Muller, one value of the pair).
    double Normal() {
        const double u = 1.0 - Real(), v = Real();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
    }

  private:
    static std::uint64_t Rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    static std::uint64_t SplitMix(std::uint64_t& x) {
        std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::uint64_t state_[4];
};
