#include "random/ranrot_b_generator.h"

#include <algorithm>
#include <iterator>

#include "random/interval.h"
#include "random/ranrot_shared.h"

TRanrotBGenerator::TRanrotBGenerator(int seed) { Seed(seed); }

void TRanrotBGenerator::Seed(int seed) {
    std::uint32_t s = static_cast<std::uint32_t>(seed);
    for (std::uint32_t& word : buffer) {
        s = RanrotSeedStep(s);
        word = s;
    }
    std::copy(std::begin(buffer), std::end(buffer), bufferCopy);
    std::copy(std::begin(buffer), std::end(buffer), bufferCopy + kRanrotEntries);
    p1 = 0;
    p2 = kRanrotLag;
    for (int i = 0; i < 9; ++i) NextReal();
}

double TRanrotBGenerator::NextReal() {
    const std::uint32_t x = RotateLeft(buffer[p2], 13) + RotateLeft(buffer[p1], 9);
    buffer[p1] = x;
    if (--p1 < 0) p1 = kRanrotEntries - 1;
    if (--p2 < 0) p2 = kRanrotEntries - 1;
    RanrotSelfTest(buffer, bufferCopy, 1, p1, p2);
    return x * (1.0 / 4294967296.0);
}

int TRanrotBGenerator::NextInt(int min, int max) {
    const std::int32_t n = IntervalLength(min, max);
    if (n <= 0) return -1;
    std::int32_t i = TruncatedProduct(NextReal(), n);
    if (i >= n) i = n - 1;
    return WrappingAdd(min, i);
}
