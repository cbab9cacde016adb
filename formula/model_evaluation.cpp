#include "formula/model_evaluation.h"

#include "compile/code_generator.h"

std::vector<float> EvaluateRows(const std::vector<std::uint8_t>& program, const std::vector<float>& rows,
                                std::size_t stride, std::size_t count) {
    CodeBuffer buffer;
    Compile(buffer, program);
    std::vector<float> values(count);
    for (std::size_t i = 0; i < count; ++i) values[i] = CallCompiled(buffer, rows.data() + i * stride);
    return values;
}
