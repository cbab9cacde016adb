#include "python/learned_model.h"

#include <regex>
#include <stdexcept>

#include "compile/program_analysis.h"
#include "formula/bad_input.h"
#include "formula/c_emitter.h"
#include "formula/formula.h"
#include "formula/formula_printer.h"
#include "formula/model_evaluation.h"
#include "formula/program_file.h"

namespace {

const char kOrigin[] = "the model";

std::vector<float> Values(const LearnedModel& model) {
    std::vector<float> values(model.inputCount);
    values.insert(values.end(), model.constants.begin(), model.constants.end());
    return values;
}

Formula FormulaOf(const LearnedModel& model) {
    const LiveProgram live = AnalyseProgram(model.program);
    if (!live.chain) throw std::runtime_error("the model combines two values of the stack, which no formula shows yet");
    return MakeFormula(live, Values(model), model.inputCount);
}

std::string Named(std::string text, const std::vector<std::string>& names) {
    static const std::regex input(R"(\bx(\d+)\b)");
    std::string named;
    std::sregex_iterator at(text.begin(), text.end(), input), end;
    std::size_t last = 0;
    for (; at != end; ++at) {
        const std::size_t i = std::stoul((*at)[1]);
        named += text.substr(last, static_cast<std::size_t>(at->position()) - last);
        named += i < names.size() ? names[i] : at->str();
        last = static_cast<std::size_t>(at->position() + at->length());
    }
    return named + text.substr(last);
}

}  // namespace

LearnedModel ReadModel(const std::string& text, std::size_t inputCount) {
    try {
        ProgramFile file = ParseProgramFile(kOrigin, text);
        CheckColumns(file);
        if (file.values.size() < inputCount)
            throw BadInput(std::string(kOrigin) + ": " + std::to_string(file.values.size()) +
                           " values in the inputs list, fewer than its " + std::to_string(inputCount) + " inputs");
        LearnedModel model;
        model.program = std::move(file.program);
        model.constants.assign(file.values.begin() + static_cast<std::ptrdiff_t>(inputCount), file.values.end());
        model.inputCount = inputCount;
        return model;
    } catch (const BadInput& error) {
        throw std::invalid_argument(error.what());
    }
}

std::vector<float> ModelValues(const LearnedModel& model, const std::vector<float>& rows) {
    const std::size_t stride = model.inputCount + model.constants.size();
    return EvaluateRows(model.program, rows, stride, stride ? rows.size() / stride : 0);
}

std::string ModelFormula(const LearnedModel& model, const std::vector<std::string>& names) {
    return Named(FormulaText(FormulaOf(model)), names);
}

std::string ModelCSource(const LearnedModel& model, const std::vector<std::string>& /*names*/) {
    return CSource(FormulaOf(model), model.inputCount, kOrigin);
}
