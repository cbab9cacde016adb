#include "formula/formula.h"

#include <limits>

#include "compile/helpers.h"

namespace {

Term TermOf(std::uint16_t column, const std::vector<float>& values, std::size_t inputCount) {
    if (column < inputCount) return {Term::Input, column};
    return {Term::Number, 0, values.at(column)};
}

long double Apply(const FormulaStep& step, long double value, long double operand) {
    switch (step.kind) {
        case StepKind::Add:
            return value + operand;
        case StepKind::Sub:
            return value - operand;
        case StepKind::Mul:
            return value * operand;
        case StepKind::Div:
            return value / operand;
        case StepKind::Helper:
            return kHelpers[step.helper].compute(static_cast<float>(value));
        default:
            return value;
    }
}

long double ValueOf(const Term& term, const float* x) {
    switch (term.kind) {
        case Term::Input:
            return x[term.input];
        case Term::Number:
            return term.number;
        case Term::Fault:
            break;
    }
    return -std::numeric_limits<long double>::quiet_NaN();  // the x87 indefinite
}

}  // namespace

Formula MakeFormula(const LiveProgram& live, const std::vector<float>& values, std::size_t inputCount) {
    Formula formula;
    formula.instructions = live.instructions;
    const LiveStep& start = live.steps.front();
    formula.start = start.kind == StepKind::Nan ? Term{Term::Fault, 0, 0, start.fault, start.instruction}
                                                : TermOf(start.column, values, inputCount);
    for (auto step = live.steps.begin() + 1; step != live.steps.end(); ++step) {
        FormulaStep next{step->kind, step->helper};
        if (step->kind != StepKind::Helper) next.operand = TermOf(step->column, values, inputCount);
        const bool constant = next.operand.kind == Term::Number;
        if (formula.start.kind == Term::Number && constant && formula.steps.empty()) {
            formula.start.number = Apply(next, formula.start.number, next.operand.number);
        } else {
            formula.steps.push_back(next);
        }
    }
    return formula;
}

float EvaluateFormula(const Formula& formula, const float* x) {
    long double value = ValueOf(formula.start, x);
    for (const FormulaStep& step : formula.steps) value = Apply(step, value, ValueOf(step.operand, x));
    return static_cast<float>(value);
}
