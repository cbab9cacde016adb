#include "engine/tuned_evaluation.h"

void TunedEvaluator::BodyValues(const TunedCode& code, const TunedRows& rows, long double* values) {
    const std::size_t inputs = rows.inputCount, count = inputs + code.constants.size();
    columns_.resize(count);
    steps_.assign(count, 0);
    for (std::size_t k = 0; k < inputs; ++k) steps_[k] = 1;
    for (std::size_t j = 0; j < code.constants.size(); ++j) columns_[inputs + j] = &code.constants[j];
    for (std::size_t first = 0; first < rows.size(); first += BlockInterpreter::kBlockRows) {
        const std::size_t block = std::min(BlockInterpreter::kBlockRows, rows.size() - first);
        for (std::size_t k = 0; k < inputs; ++k) columns_[k] = rows.columns[k].data() + first;
        interpreter_.Run(code.bytes.data(), code.bodyLength, {columns_.data(), steps_.data(), count}, block,
                         values + first);
    }
}
