#include "random/ranrot_w_generator.h"

#include <cstring>

#include "random/interval.h"
#include "random/ranrot_shared.h"

namespace {
constexpr std::uint64_t kOneBits = 0x3FF0000000000000u;  // the double 1.0
}

TRanrotWGenerator::TRanrotWGenerator(int seed) {
    Seed(seed);
    outputBits = kOneBits;
}

void TRanrotWGenerator::Seed(int seed) {
    std::uint32_t s = static_cast<std::uint32_t>(seed);
    for (auto& pair : buffer) {
        for (std::uint32_t& word : pair) {
            s = RanrotSeedStep(s);
            word = s;
        }
    }
    outputBits = kOneBits;
    p1 = 0;
    p2 = kRanrotLag;
    std::memcpy(bufferCopy, buffer, sizeof buffer);
    std::memcpy(bufferCopy + kRanrotEntries, buffer, sizeof buffer);
    for (int i = 0; i < 31; ++i) NextBits();
}

std::uint32_t TRanrotWGenerator::NextBits() {
    const std::uint32_t z = RotateLeft(buffer[p1][0], 19) + buffer[p2][0];
    const std::uint32_t y = RotateLeft(buffer[p1][1], 27) + buffer[p2][1];
    buffer[p1][0] = y;
    buffer[p1][1] = z;
    if (--p1 < 0) p1 = kRanrotEntries - 1;
    if (--p2 < 0) p2 = kRanrotEntries - 1;
    RanrotSelfTest(&buffer[0][0], &bufferCopy[0][0], 2, p1, p2);
    outputBits = static_cast<std::uint64_t>(z) << 32 | y;
    return y;
}

double TRanrotWGenerator::NextReal() {
    const std::uint32_t y = NextBits();
    outputBits = static_cast<std::uint64_t>(0x3FF00000u | (y & 0xFFFFFu)) << 32 | y;
    double real;
    std::memcpy(&real, &outputBits, sizeof real);
    return real - 1.0;
}

int TRanrotWGenerator::NextInt(int min, int max) {
    const std::int32_t n = IntervalLength(min, max);
    if (n <= 0) return INT32_MIN;
    std::int32_t i = TruncatedProduct(NextReal(), n);
    if (i >= n) i = n - 1;
    return WrappingAdd(min, i);
}
