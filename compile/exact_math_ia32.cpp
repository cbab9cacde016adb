// IA-32 keeps the math library for every value.
#include <cmath>

#include "compile/exact_math.h"

namespace {

template <float (*Scalar)(float)>
void Each(const float* in, float* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = Scalar(in[i]);
}

}  // namespace

float ExactExp(float x) { return RoundThroughDouble(std::exp(static_cast<double>(x))); }
float ExactLog(float x) { return RoundThroughDouble(std::log(static_cast<double>(x))); }
float ExactSin(float x) { return RoundThroughDouble(std::sin(static_cast<double>(x))); }
float ExactCos(float x) { return RoundThroughDouble(std::cos(static_cast<double>(x))); }
float ExactTan(float x) { return RoundThroughDouble(std::tan(static_cast<double>(x))); }

void ExactExpBlock(const float* in, float* out, std::size_t n) { Each<ExactExp>(in, out, n); }
void ExactLogBlock(const float* in, float* out, std::size_t n) { Each<ExactLog>(in, out, n); }
void ExactSinBlock(const float* in, float* out, std::size_t n) { Each<ExactSin>(in, out, n); }
void ExactCosBlock(const float* in, float* out, std::size_t n) { Each<ExactCos>(in, out, n); }
void ExactTanBlock(const float* in, float* out, std::size_t n) { Each<ExactTan>(in, out, n); }

bool ExactFastPath(HelperIndex, float, float&) { return false; }
