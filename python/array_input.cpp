#include "python/array_input.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

std::string ShapeText(const std::vector<std::size_t>& shape) {
    std::string text = "(";
    for (std::size_t d = 0; d < shape.size(); ++d) text += (d ? ", " : "") + std::to_string(shape[d]);
    return text + (shape.size() == 1 ? ",)" : ")");
}

// The value as the float a program computes with. A double beyond float range is refused; one
// below it becomes 0 or a subnormal, as any conversion to float makes it. `where` names the value.
template <class Where>
float FloatOf(double value, const Where& where) {
    const auto single = static_cast<float>(value);
    if (std::isfinite(single)) return single;
    const char* what = std::isnan(value) ? "NaN" : std::isinf(value) ? "infinity" : "a value beyond float range";
    throw std::invalid_argument(where() + " holds " + what);
}

void CheckMatrix(const ArrayView& X) {
    if (X.shape.size() != 2)
        throw std::invalid_argument("X must have 2 dimensions (n_samples, n_features), not the shape " +
                                    ShapeText(X.shape));
}

void CopyFeatures(const ArrayView& X, std::size_t row, float* out) {
    const std::size_t features = X.shape[1];
    const double* values = X.data + row * features;
    for (std::size_t column = 0; column < features; ++column)
        out[column] = FloatOf(values[column], [&] {
            return "X at row " + std::to_string(row) + ", column " + std::to_string(column);
        });
}

}  // namespace

DataTable LearningTable(const ArrayView& X, const ArrayView& y) {
    CheckMatrix(X);
    const std::size_t samples = X.shape[0], features = X.shape[1];
    if (y.shape.size() != 1 || y.shape[0] != samples)
        throw std::invalid_argument("y must have the shape (" + std::to_string(samples) + ",) of X's samples, not " +
                                    ShapeText(y.shape));
    if (samples < kFewestSamples)
        throw std::invalid_argument("Found " + std::to_string(samples) + " sample(s); at least " +
                                    std::to_string(kFewestSamples) + " are needed to learn");
    if (features == 0) throw std::invalid_argument("X has 0 features; at least 1 is needed");
    DataTable table(samples, DataRow(features + 1));
    for (std::size_t row = 0; row < samples; ++row) {
        CopyFeatures(X, row, table[row].data());
        table[row][features] = FloatOf(y.data[row], [&] { return "y at row " + std::to_string(row); });
    }
    return table;
}

std::vector<float> PredictionRows(const ArrayView& X, std::size_t features, const std::vector<float>& constants) {
    CheckMatrix(X);
    if (X.shape[1] != features)
        throw std::invalid_argument("X has " + std::to_string(X.shape[1]) + " features, but the model takes " +
                                    std::to_string(features));
    const std::size_t samples = X.shape[0], stride = features + constants.size();
    std::vector<float> rows(samples * stride);
    for (std::size_t row = 0; row < samples; ++row) {
        CopyFeatures(X, row, rows.data() + row * stride);
        std::copy(constants.begin(), constants.end(), rows.begin() + static_cast<std::ptrdiff_t>(row * stride + features));
    }
    return rows;
}
