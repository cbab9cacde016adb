#include "python/learned_model.h"

#include <optional>
#include <stdexcept>

#include "formula/bad_input.h"
#include "formula/c_emitter.h"
#include "formula/formula.h"
#include "formula/formula_printer.h"
#include "formula/input_names.h"
#include "formula/model_evaluation.h"
#include "formula/program_file.h"
#include "formula/simplifier.h"

namespace {

const char kOrigin[] = "the model";

std::vector<std::string> ShownNames(const std::vector<std::string>& names) {
    if (names.empty()) return names;
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ",") + name;
    try {
        std::vector<std::string> read = ReadInputNames(list);
        if (read.size() == names.size()) return read;
    } catch (const BadInput&) {
    }
    return {};
}

}  // namespace

LearnedModel ReadModel(const std::string& text, std::size_t inputCount) {
    try {
        ProgramFile file = ParseProgramFile(kOrigin, text);
        CheckColumns(file);
        if (file.values.size() < inputCount)
            throw BadInput(std::string(kOrigin) + ": " + std::to_string(file.values.size()) +
                           " values in the inputs list, fewer than its " + std::to_string(inputCount) + " inputs");
        return {std::move(file.program), std::move(file.values), inputCount};
    } catch (const BadInput& error) {
        throw std::invalid_argument(error.what());
    }
}

std::vector<float> ModelConstants(const LearnedModel& model) {
    return {model.values.begin() + static_cast<std::ptrdiff_t>(model.inputCount), model.values.end()};
}

std::vector<float> ModelValues(const LearnedModel& model, const std::vector<float>& rows) {
    const std::size_t stride = model.values.size();
    return EvaluateRows(model.program, rows, stride, stride ? rows.size() / stride : 0);
}

ModelText DescribeModel(const LearnedModel& model, const std::vector<std::string>& names) {
    const std::vector<std::string> shown = ShownNames(names);
    const Expression formula = MakeFormula(model.program, model.values, model.inputCount);
    const std::string exact = FormulaText(formula, {shown});
    const std::optional<Expression> simplified = Simplify(formula);
    return {exact, simplified ? FormulaText(*simplified, {shown, 6}) : exact};
}

std::string ModelCSource(const LearnedModel& model, const std::vector<std::string>& names) {
    const Expression formula = MakeFormula(model.program, model.values, model.inputCount);
    return CSource(formula, model.inputCount, kOrigin, ShownNames(names));
}
