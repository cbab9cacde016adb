#include "engine/tuned_scaling.h"

#include <cmath>
#include <limits>

#include "compile/squared_error.h"

Scaling FitScaling(const long double* values, const float* targets, std::size_t count) {
    double meanValue = 0, meanTarget = 0;
    for (std::size_t r = 0; r < count; ++r) {
        meanValue += static_cast<double>(values[r]);
        meanTarget += targets[r];
    }
    meanValue /= static_cast<double>(count);
    meanTarget /= static_cast<double>(count);
    double covariance = 0, variance = 0;
    for (std::size_t r = 0; r < count; ++r) {
        const double v = static_cast<double>(values[r]) - meanValue;
        covariance += v * (targets[r] - meanTarget);
        variance += v * v;
    }
    const double scale = variance > 0 ? covariance / variance : 0;
    return {static_cast<float>(scale), static_cast<float>(meanTarget - scale * meanValue)};
}

double ScaledError(const long double* values, const float* targets, std::size_t count, Scaling scaling) {
    const long double scale = scaling.scale, offset = scaling.offset;
    MeanSquaredError error;
    for (std::size_t r = 0; r < count; ++r) {
        const auto y = static_cast<float>(values[r] * scale + offset);
        if (std::isnan(y)) return std::numeric_limits<double>::infinity();
        error.Add(y, targets[r]);
    }
    return error.Mean();
}
