#include "compile/activation.h"

#include <cmath>

#include "compile/exact_math.h"

namespace {

// base + slope * fraction, rounded once to float. Extended precision is what both targets share
// natively (x87), so the result is the same on both.
float Interpolate(float base, float slope, float fraction, long double divisor) {
    const long double step = static_cast<long double>(slope) * fraction / divisor;
    return static_cast<float>(static_cast<long double>(base) + step);
}

void BuildTanhTable(ActivationTables& t) {
    t.f_factor = static_cast<float>(100 / 3.0);
    for (int i = 0; i < kActivationTableLength; ++i) {
        const float v = static_cast<float>(i) / t.f_factor;
        t.f_f[i] = RoundThroughDouble(std::tanh(static_cast<double>(v)));
        if (i >= 1) {
            t.f_d[i - 1] = t.f_f[i] - t.f_f[i - 1];
        }
    }
}

void BuildSigmoidTable(ActivationTables& t) {
    for (int i = 0; i < kActivationTableLength; ++i) {
        // Named doubles: every assignment rounds, also where the arithmetic runs in x87 registers.
        const double tenths = i / 10.0;
        const double sum = -5.0 + tenths;
        const float v = static_cast<float>(sum);
        const float e = RoundThroughDouble(std::exp(-static_cast<double>(v)));
        const double denominator = 1.0 + e;
        const double logistic = 1.0 / denominator;
        t.g_f[i] = static_cast<float>(logistic);
        if (i >= 1) {
            t.g_d[i - 1] = t.g_f[i] - t.g_f[i - 1];
        }
    }
}

ActivationTables BuildTables() {
    ActivationTables tables{};
    BuildTanhTable(tables);
    BuildSigmoidTable(tables);
    return tables;
}

}  // namespace

const ActivationTables& Activation() {
    static const ActivationTables tables = BuildTables();
    return tables;
}

namespace {

// Built as the program starts, so that no helper called from generated code, whose stack may lack
// the alignment compiled code expects, ever builds them.
[[maybe_unused]] const ActivationTables& builtAtStart = Activation();

}  // namespace

float ComputeExp(float x) { return ExactExp(x); }
float ComputeLog(float x) { return ExactLog(x); }
float ComputeSin(float x) { return ExactSin(x); }
float ComputeCos(float x) { return ExactCos(x); }
float ComputeTan(float x) { return ExactTan(x); }

float ComputeSigmoid(float x) {
    if (x < -5.0f) {
        return 0.0f;
    }
    if (x > 5.0f) {
        return 1.0f;
    }
    if (std::isnan(x)) {
        return x;  // no table entry stands for NaN
    }
    const float xd = x * 10.0f;
    const ActivationTables& t = Activation();
    const int i = static_cast<int>(xd);  // |xd| <= 50 here
    const int j = i + 50;
    if (j >= kActivationTableLength) {
        return 1.0f;  // xd = 50 would need entry 100; the function is 1 there to float precision
    }
    // Truncation runs toward zero, so below 0 the fraction is negative and extrapolates downward.
    return Interpolate(t.g_f[j], t.g_d[j], xd - static_cast<float>(i), 10.0L);
}

float ComputeTanh(float x) {
    const ActivationTables& t = Activation();
    const bool nonNegative = x >= 0.0f;  // NaN takes the negative half
    const float xd = nonNegative ? x * t.f_factor : -x * t.f_factor;
    float y;
    // An index outside the table, and the integer indefinite of a too large or NaN xd, both mean
    // "hold at the last entry"; the range is checked before converting, where it is still defined.
    if (!(xd > -1.0f && xd < static_cast<float>(kActivationTableLength - 1))) {
        y = t.f_f[kActivationTableLength - 1];
    } else {
        const int i = static_cast<int>(xd);
        y = Interpolate(t.f_f[i], t.f_d[i], xd - static_cast<float>(i), 1.0L);
    }
    return nonNegative ? y : -y;
}

void SigmoidBlock(const float* in, float* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = ComputeSigmoid(in[i]);
}

void TanhBlock(const float* in, float* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = ComputeTanh(in[i]);
}
