#pragma once
// exp, log, sin, cos and tan of a float as the helpers return them: the math library's double
// result rounded to float, bit for bit, for every float argument (NaNs with their payloads,
// infinities and zeros included). The host target computes most values itself, one at a time or a
// block at a time, and asks the math library only where it cannot prove the bits equal
// (exact_math_x86_64.cpp); IA-32 asks the math library for every value (exact_math_ia32.cpp).
// Stateless: any thread may call any of these at any time.
#include <cstddef>

#include "compile/helpers.h"

float ExactExp(float x);
float ExactLog(float x);
float ExactSin(float x);
float ExactCos(float x);
float ExactTan(float x);

// Block forms: out[i] = f(in[i]) for i < n, the same bits as the scalar forms. `in` and `out` may
// be the same array but may not overlap otherwise. They allocate nothing.
void ExactExpBlock(const float* in, float* out, std::size_t n);
void ExactLogBlock(const float* in, float* out, std::size_t n);
void ExactSinBlock(const float* in, float* out, std::size_t n);
void ExactCosBlock(const float* in, float* out, std::size_t n);
void ExactTanBlock(const float* in, float* out, std::size_t n);

// The host's own computation alone, for the exhaustive check: true, with `value` set, where it
// proves its value equal to the math library's; false where the helper asks the math library.
// Always false on IA-32, and for the table helpers kSigmoid and kTanh.
bool ExactFastPath(HelperIndex helper, float x, float& value);

// The math library's double result rounded to float. The IA-32 library may return more than
// double precision; storing to a double first makes both targets round the same value.
float RoundThroughDouble(double value);
