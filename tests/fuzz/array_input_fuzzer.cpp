// The array reader of the Python module on arbitrary bytes: a byte of dimensions and a byte per
// dimension for X, the same for y, then the values as doubles. A table or the rows to predict on
// come back exactly as the values rounded to float, or std::invalid_argument says why not.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "python/array_input.h"

namespace {

struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t Next() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
};

// The shape from the bytes, and as many values as it has; values past the input are 0.
ArrayView Read(Bytes& bytes, std::vector<double>& values) {
    ArrayView view;
    std::size_t count = 1;
    for (std::uint8_t d = bytes.Next() % 4; d > 0; --d) {
        view.shape.push_back(bytes.Next() % 24);
        count *= view.shape.back();
    }
    values.assign(count, 0.0);
    const std::size_t given = std::min(count, bytes.size / sizeof(double));
    if (given > 0) std::memcpy(values.data(), bytes.data, given * sizeof(double));
    bytes.data += given * sizeof(double);
    bytes.size -= given * sizeof(double);
    view.data = values.data();
    return view;
}

void Expect(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes{data, size};
    std::vector<double> xValues, yValues;
    const ArrayView X = Read(bytes, xValues), y = Read(bytes, yValues);
    try {
        const DataTable table = LearningTable(X, y);
        const std::size_t features = X.shape.at(1);
        Expect(table.size() == X.shape.at(0) && table.size() >= kFewestSamples && features > 0);
        for (std::size_t row = 0; row < table.size(); ++row) {
            Expect(table[row].size() == features + 1);
            for (std::size_t column = 0; column < features; ++column)
                Expect(table[row][column] == static_cast<float>(xValues[row * features + column]));
            Expect(table[row][features] == static_cast<float>(yValues[row]));
            for (float value : table[row]) Expect(std::isfinite(value));
        }
    } catch (const std::invalid_argument&) {
    }
    try {
        const std::size_t features = y.shape.empty() ? 0 : y.shape[0];
        const std::vector<float> constants = {1.5f, -2.0f};
        const std::vector<float> rows = PredictionRows(X, features, constants);
        const std::size_t stride = features + constants.size();
        Expect(X.shape.size() == 2 && X.shape[1] == features && rows.size() == X.shape[0] * stride);
        for (std::size_t at = 0; at < rows.size(); ++at) {
            const std::size_t row = at / stride, column = at % stride;
            Expect(column < features ? rows[at] == static_cast<float>(xValues[row * features + column])
                                     : rows[at] == constants[column - features]);
        }
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
