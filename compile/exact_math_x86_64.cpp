// The host's own exp, log, sin, cos and tan of a float, bit for bit the math library's.
//
// Each kernel computes y, an approximation of f(x) in double precision whose relative error is
// below 2^-44 wherever its range test admits x (the bound is derived beside each kernel). The math
// library's result lies within 1 ulp of f(x) (we allow 4), so within kSlack = 2^13 ulps of y. A
// float rounding boundary, the tie between two floats, is 2^28 ulps past a float: when y's 29 bits
// below float precision are further than kSlack from that pattern, no boundary lies between y and
// the library's result, and float(y) is the library's value rounded to float. Everything else (a
// value that near a boundary, x outside a kernel's range, NaN, infinities, subnormal results) is
// asked of the math library itself. bench/exact_math_check.cpp runs every float through both.
//
// The arithmetic is plain IEEE double with no contraction into fused multiply-adds (this file is
// built with -ffp-contract=off), so every instruction set computes the same y and the block forms,
// vectorised per instruction set, agree with the scalar forms.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "compile/exact_math.h"

#define TARVO_INLINE inline __attribute__((always_inline))

namespace {

template <class To, class From>
TARVO_INLINE To BitCast(From from) {
    static_assert(sizeof(To) == sizeof(From), "same size");
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

TARVO_INLINE std::uint64_t Bits(double v) { return BitCast<std::uint64_t>(v); }
TARVO_INLINE std::uint32_t Bits(float v) { return BitCast<std::uint32_t>(v); }

constexpr double Factorial(int n) { return n <= 1 ? 1.0 : n * Factorial(n - 1); }

// c[i] = sign^i / (first + 2i)!: the Taylor series in x^2 of cosh x (first 0, sign 1),
// sinh(x) / x (1, 1), cos x (0, -1) and sin(x) / x (1, -1).
template <std::size_t N>
constexpr std::array<double, N> SeriesInSquare(int first, double sign) {
    std::array<double, N> c{};
    double s = 1;
    for (std::size_t i = 0; i < N; ++i, s *= sign) c[i] = s / Factorial(first + 2 * static_cast<int>(i));
    return c;
}

// c[0] + c[1] z + ... + c[N-1] z^(N-1) by Horner's rule; the loop unrolls completely.
template <std::size_t N>
TARVO_INLINE double Polynomial(double z, const std::array<double, N>& c) {
    double sum = c[N - 1];
    for (std::size_t i = N - 1; i-- > 0;) sum = sum * z + c[i];
    return sum;
}

// Adding then subtracting 1.5 * 2^52 rounds a double below 2^51 in magnitude to the nearest
// integer k, and the sum's low bits hold k in two's complement.
constexpr double kRoundShift = 0x1.8p52;

constexpr std::uint64_t kDroppedMask = (std::uint64_t{1} << 29) - 1;  // double bits below float precision
constexpr std::uint64_t kTie = std::uint64_t{1} << 28;
constexpr std::uint64_t kSlack = std::uint64_t{1} << 13;

TARVO_INLINE bool RoundsSafely(double y) {
    const std::uint64_t dropped = Bits(y) & kDroppedMask;
    const bool clearOfTie = dropped - (kTie - kSlack) >= 2 * kSlack;  // wraps below the band
    const double magnitude = std::fabs(y);
    return clearOfTie & ((magnitude >= 0x1p-126) | (magnitude == 0.0));  // no subnormal floats
}

// e^x = 2^k e^r, k = round(x / ln 2), |r| <= ln(2)/2 + 2^-46. ln 2 = kLn2Hi + kLn2Lo with kLn2Hi
// of 32 bits, so k * kLn2Hi and x - k * kLn2Hi are exact (|k| <= 128); r is off by under
// 2^-53 |r| + 2^-78. Taylor to degree 11 leaves |r|^12/12! e^|r| < 2^-46.2 e^r. Range: the result
// is a normal float, below the overflow threshold.
struct Exp {
    static constexpr double kLog2E = 0x1.71547652b82fep+0;
    static constexpr double kLn2Hi = 0x1.62e42feep-1;
    static constexpr double kLn2Lo = 0x1.a39ef35793c76p-33;
    static constexpr auto kEven = SeriesInSquare<6>(0, 1);  // cosh
    static constexpr auto kOdd = SeriesInSquare<6>(1, 1);   // sinh(r) / r

    TARVO_INLINE static bool InRange(float x) { return (x >= -87.0f) & (x <= 88.5f); }

    TARVO_INLINE static double Approx(float xf) {
        const double x = xf;
        const double t = x * kLog2E + kRoundShift;
        const double k = t - kRoundShift;
        const double r = (x - k * kLn2Hi) - k * kLn2Lo;
        const double scale = BitCast<double>((Bits(t) + 1023) << 52);  // 2^k
        const double z = r * r;
        // e^r = even(z) + r odd(z): two short chains instead of one long one.
        const double even = Polynomial(z, kEven);
        const double odd = Polynomial(z, kOdd);
        return (even + r * odd) * scale;
    }

    static double Library(double x) { return std::exp(x); }
};

// log x = e ln 2 + log m, x = 2^e m with m in [sqrt(1/2), sqrt(2)); log m = 2 atanh s,
// s = (m - 1) / (m + 1), |s| <= 0.1716; m - 1 and m + 1 are exact, s is off by 2^-53 |s|. The
// series to s^15 leaves s^16 / 17 / (1 - s^2) < 2^-44.7 of |log m|. With e != 0 the result is at
// least ln(2)/2 in magnitude, so the sum adds rounding only. Range: positive normal x.
struct Log {
    static constexpr double kLn2Hi = 0x1.62e42feep-1;
    static constexpr double kLn2Lo = 0x1.a39ef35793c76p-33;
    static constexpr std::uint32_t kSqrtHalfBits = 0x3f3504f3;
    static constexpr std::array<double, 8> kSeries = {1,       1.0 / 3,  1.0 / 5,  1.0 / 7,
                                                      1.0 / 9, 1.0 / 11, 1.0 / 13, 1.0 / 15};

    TARVO_INLINE static bool InRange(float x) { return (x >= 0x1p-126f) & (x <= 0x1.fffffep127f); }

    TARVO_INLINE static double Approx(float x) {
        // Counting the exponent from sqrt(1/2) instead of 1 puts m in [sqrt(1/2), sqrt(2)).
        const std::uint32_t offset = Bits(x) - kSqrtHalfBits;
        const double e = static_cast<std::int32_t>(offset) >> 23;
        const double f = static_cast<double>(BitCast<float>((offset & 0x7fffff) + kSqrtHalfBits)) - 1;
        const double s = f / (2 + f);
        const double series = Polynomial(s * s, kSeries);  // atanh(s) / s
        return e * kLn2Hi + (e * kLn2Lo + (s + s) * series);
    }

    static double Library(double x) { return std::log(x); }
};

// x = k pi/2 + r with k = round(x * 2/pi). pi/2 = kPio2[0] + kPio2[1] + kPio2[2], the first two
// of 27 bits: for |x| < 2^26, |k| < 2^26 and k * kPio2[0], x - k * kPio2[0] and k * kPio2[1] are
// exact, so r is off by under 2^-52 |r| + 2^-80. Over all such floats, |r| >= 2^-27.8 where
// k != 0 (r = x where k = 0), so r is within 2^-51 |r|, and |r| <= pi/4 + 2^-26.
struct SinCos {
    double sin, cos;  // of r
    std::uint64_t k;  // low two bits: k mod 4
};

constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kPio2[3] = {0x1.921fb54p+0, 0x1.10b46p-30, 0x1.1a62633145c07p-54};
constexpr float kReducibleLimit = 0x1p26f;

// sin r = r * SeriesInSquare(1, -1) to r^13: r^14/15! / (sin r / r) < 2^-44.9. The factor r
// keeps the sign of zero: sin(-0) = -0.
constexpr auto kSinSeries = SeriesInSquare<7>(1, -1);
// cos r to r^14: r^16/16! / cos r < 2^-49.3.
constexpr auto kCosSeries = SeriesInSquare<8>(0, -1);

TARVO_INLINE SinCos ReduceToSinCos(float xf) {
    const double x = xf;
    const double t = x * kTwoOverPi + kRoundShift;
    const double k = t - kRoundShift;
    const double r = ((x - k * kPio2[0]) - k * kPio2[1]) - k * kPio2[2];
    const double z = r * r;
    return {r * Polynomial(z, kSinSeries), Polynomial(z, kCosSeries), Bits(t)};
}

// Bit 0 of `quadrant` picks `whenOdd` over `whenEven`, bit 1 negates the pick. On bits, so that
// every instruction set vectorises it without branches.
TARVO_INLINE double Pick(std::uint64_t quadrant, double whenEven, double whenOdd) {
    const std::uint64_t odd = 0 - (quadrant & 1);
    const std::uint64_t picked = (Bits(whenOdd) & odd) | (Bits(whenEven) & ~odd);
    return BitCast<double>(picked ^ ((quadrant & 2) << 62));
}

struct Sin {
    TARVO_INLINE static bool InRange(float x) { return std::fabs(x) < kReducibleLimit; }
    TARVO_INLINE static double Approx(float x) {
        const SinCos v = ReduceToSinCos(x);
        return Pick(v.k, v.sin, v.cos);  // sin, cos, -sin, -cos
    }
    static double Library(double x) { return std::sin(x); }
};

struct Cos {
    TARVO_INLINE static bool InRange(float x) { return std::fabs(x) < kReducibleLimit; }
    TARVO_INLINE static double Approx(float x) {
        const SinCos v = ReduceToSinCos(x);
        return Pick(v.k + 1, v.sin, v.cos);  // cos, -sin, -cos, sin
    }
    static double Library(double x) { return std::cos(x); }
};

// tan = sin r / cos r, or -cos r / sin r in odd quadrants: within 2^-44.7.
struct Tan {
    TARVO_INLINE static bool InRange(float x) { return std::fabs(x) < kReducibleLimit; }
    TARVO_INLINE static double Approx(float x) {
        const SinCos v = ReduceToSinCos(x);
        const bool odd = v.k & 1;
        return (odd ? v.cos : v.sin) / (odd ? -v.sin : v.cos);
    }
    static double Library(double x) { return std::tan(x); }
};

template <class F>
TARVO_INLINE bool TryFast(float x, float& value) {
    const double y = F::Approx(x);
    value = static_cast<float>(y);
    // Both tests on every lane, without a branch between them, so that the loop vectorises.
    return static_cast<int>(F::InRange(x)) & static_cast<int>(RoundsSafely(y));
}

template <class F>
float FromLibrary(float x) {
    return RoundThroughDouble(F::Library(static_cast<double>(x)));
}

template <class F>
TARVO_INLINE float Scalar(float x) {
    float value;
    return TryFast<F>(x, value) ? value : FromLibrary<F>(x);
}

// A chunk at a time: one vectorised pass computes every value and notes the unproven ones, a
// second asks the library for those, which are rare on ordinary arguments.
template <class F>
TARVO_INLINE void Block(const float* in, float* out, std::size_t n) {
    constexpr std::size_t kChunk = 256;
    float value[kChunk];
    std::int32_t unproven[kChunk];
    for (std::size_t start = 0; start < n; start += kChunk) {
        const std::size_t count = std::min(kChunk, n - start);
        std::int32_t anyUnproven = 0;
        for (std::size_t i = 0; i < count; ++i) {
            float v;
            unproven[i] = !TryFast<F>(in[start + i], v);
            value[i] = v;
            anyUnproven |= unproven[i];
        }
        if (!anyUnproven) {
            std::memcpy(out + start, value, count * sizeof(float));
            continue;
        }
        for (std::size_t i = 0; i < count; ++i) {
            out[start + i] = unproven[i] ? FromLibrary<F>(in[start + i]) : value[i];
        }
    }
}

// One copy of each block form per instruction set, and the first call picks the one this processor
// runs. Not picked by the loader (target_clones): the sanitizers cannot run code that early.
using BlockFunction = void (*)(const float* in, float* out, std::size_t n);

template <class F>
__attribute__((target("arch=x86-64-v4"))) void BlockAvx512(const float* in, float* out, std::size_t n) {
    Block<F>(in, out, n);
}

template <class F>
__attribute__((target("arch=x86-64-v3"))) void BlockAvx2(const float* in, float* out, std::size_t n) {
    Block<F>(in, out, n);
}

template <class F>
void BlockSse2(const float* in, float* out, std::size_t n) {
    Block<F>(in, out, n);
}

template <class F>
BlockFunction PickBlock() {
    __builtin_cpu_init();
    // The features of x86-64-v4 and -v3 that the copies are built for, named one by one: not every
    // compiler knows the level names here.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx2") &&
        __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi2"))
        return BlockAvx512<F>;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi2"))
        return BlockAvx2<F>;
    return BlockSse2<F>;
}

template <class F>
void DispatchBlock(const float* in, float* out, std::size_t n) {
    static const BlockFunction block = PickBlock<F>();
    block(in, out, n);
}

}  // namespace

float ExactExp(float x) { return Scalar<Exp>(x); }
float ExactLog(float x) { return Scalar<Log>(x); }
float ExactSin(float x) { return Scalar<Sin>(x); }
float ExactCos(float x) { return Scalar<Cos>(x); }
float ExactTan(float x) { return Scalar<Tan>(x); }

void ExactExpBlock(const float* in, float* out, std::size_t n) { DispatchBlock<Exp>(in, out, n); }
void ExactLogBlock(const float* in, float* out, std::size_t n) { DispatchBlock<Log>(in, out, n); }
void ExactSinBlock(const float* in, float* out, std::size_t n) { DispatchBlock<Sin>(in, out, n); }
void ExactCosBlock(const float* in, float* out, std::size_t n) { DispatchBlock<Cos>(in, out, n); }
void ExactTanBlock(const float* in, float* out, std::size_t n) { DispatchBlock<Tan>(in, out, n); }

bool ExactFastPath(HelperIndex helper, float x, float& value) {
    switch (helper) {
        case kExp:
            return TryFast<Exp>(x, value);
        case kLog:
            return TryFast<Log>(x, value);
        case kSin:
            return TryFast<Sin>(x, value);
        case kCos:
            return TryFast<Cos>(x, value);
        case kTan:
            return TryFast<Tan>(x, value);
        default:
            return false;
    }
}
