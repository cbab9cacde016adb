#pragma once
// Linear scaling: the scale a and offset b that make a * v + b closest to the targets in least
// squares, fitted in double on a program's values before their final rounding, and the error of
// the program that then multiplies by float(a) and adds float(b) as its last two instructions.
#include <cstddef>

struct Scaling {
    float scale = 1;
    float offset = 0;
};

// Scale 0 and the mean target when the values do not vary; either may come out non-finite when
// the values are not.
Scaling FitScaling(const long double* values, const float* targets, std::size_t count);

// The reported error (compile/squared_error.h) of the outputs float(v * scale + offset), computed
// as the x87 computes them; infinite when one is NaN.
double ScaledError(const long double* values, const float* targets, std::size_t count, Scaling scaling);
