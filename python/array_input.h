#pragma once
// Arrays from Python as a run and a model take them. What a caller hands over is checked here,
// once, and every refusal (std::invalid_argument) says why in the caller's terms: samples are rows,
// features are input columns.
#include <cstddef>
#include <vector>

#include "workspace/data_file.h"

// A C-ordered array of doubles and its shape, as the binding receives it. Not owned.
struct ArrayView {
    const double* data = nullptr;
    std::vector<std::size_t> shape;
};

constexpr std::size_t kFewestSamples = 2;

// The rows of a fit: each row's features, then its target, as floats. Refuses X that is not
// (n_samples, n_features) or y that is not (n_samples,), fewer than kFewestSamples samples, no
// feature, and any value that is not a finite float.
DataTable LearningTable(const ArrayView& X, const ArrayView& y);

// The rows a compiled program reads to predict: each row's `features` values, then `constants`.
// Refuses X that is not (n_samples, features) and any value that is not a finite float.
std::vector<float> PredictionRows(const ArrayView& X, std::size_t features, const std::vector<float>& constants);
