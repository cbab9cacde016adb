#include "random/mersenne_generator.h"

#include "random/interval.h"

namespace {
constexpr int kN = 624;
constexpr int kM = 397;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr std::uint32_t kMatrix = 0x9908B0DFu;

std::uint32_t Twist(std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
    const std::uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
    return far ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
}
}  // namespace

TRandomMersenne::TRandomMersenne(int seed) { Seed(seed); }

void TRandomMersenne::Seed(int seed) {
    mt[0] = static_cast<std::uint32_t>(seed);
    for (int i = 1; i < kN; ++i) {
        mt[i] = 1812433253u * (mt[i - 1] ^ (mt[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
    }
    mti = kN;
}

void TRandomMersenne::Regenerate() {
    int k = 0;
    for (; k < kN - kM; ++k) mt[k] = Twist(mt[k], mt[k + 1], mt[k + kM]);
    for (; k < kN - 1; ++k) mt[k] = Twist(mt[k], mt[k + 1], mt[k + kM - kN]);
    mt[kN - 1] = Twist(mt[kN - 1], mt[0], mt[kM - 1]);
    mti = 0;
}

std::uint32_t TRandomMersenne::NextBits() {
    if (mti >= kN) Regenerate();
    std::uint32_t y = mt[mti++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

double TRandomMersenne::NextReal() { return NextBits() * (1.0 / 4294967296.0); }

int TRandomMersenne::NextInt(int min, int max) {
    const double real = NextReal();
    std::int32_t i = WrappingAdd(TruncatedProduct(real, IntervalLength(min, max)), min);
    if (i > max) i = max;
    if (max < min) return INT32_MIN;
    return i;
}
