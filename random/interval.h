#pragma once
// Integer draws shared by the generators: 32-bit wrap-around without undefined behaviour, and
// the double rounding of the scaled draw that the sequences depend on.
#include <cstdint>

// max - min + 1 in 32-bit arithmetic; an empty or too wide interval comes out as 0 or below.
inline std::int32_t IntervalLength(std::int32_t min, std::int32_t max) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(max) - static_cast<std::uint32_t>(min) + 1u);
}

inline std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// Truncation toward zero of real * n, the product first rounded to a double. On IA-32 the x87
// keeps 64 mantissa bits and would truncate the unrounded product, so it goes through memory.
// |real * n| < 2^31 for real in [0, 1), so the conversion is always defined.
inline std::int32_t TruncatedProduct(double real, std::int32_t n) {
    volatile double product = real * n;
    return static_cast<std::int32_t>(product);
}
