#include "formula/formula_printer.h"

#include <cmath>

#include "compile/helpers.h"

#include "formula/number_text.h"

namespace {

// Binding strength: a fault text binds loosest, a sum, a product, then names and numbers.
enum Rank { kFault, kSum, kProduct, kAtom };

std::string NumberText(long double number) {
    if (std::isnan(number)) return "NaN";
    if (std::isinf(number)) return number < 0 ? "-inf" : "inf";
    return ShortestText(number);
}

std::string TermText(const Term& term, std::uint32_t instructions) {
    switch (term.kind) {
        case Term::Input:
            return "x" + std::to_string(term.input);
        case Term::Number:
            return NumberText(term.number);
        case Term::Fault:
            break;
    }
    return FaultText(term, instructions);
}

const char* OperatorText(StepKind kind) {
    switch (kind) {
        case StepKind::Add:
            return " + ";
        case StepKind::Sub:
            return " - ";
        case StepKind::Mul:
            return " * ";
        default:
            return " / ";
    }
}

}  // namespace

std::string FaultText(const Term& fault, std::uint32_t instructions) {
    const std::string kind = fault.fault == StackFault::Overflow ? "overflow" : "underflow";
    if (fault.instruction >= instructions) return "NaN: stack " + kind + " at the end of the program";
    return "NaN: stack " + kind + " at instruction " + std::to_string(fault.instruction + 1);
}

std::string FormulaText(const Formula& formula) {
    std::string text = TermText(formula.start, formula.instructions);
    Rank rank = formula.start.kind == Term::Fault ? kFault : kAtom;
    for (const FormulaStep& step : formula.steps) {
        if (step.kind == StepKind::Helper) {
            text = std::string(kHelpers[step.helper].name) + "(" + text + ")";
            rank = kAtom;
            continue;
        }
        const Rank own = step.kind == StepKind::Add || step.kind == StepKind::Sub ? kSum : kProduct;
        if (rank < own) text = "(" + text + ")";
        std::string operand = TermText(step.operand, formula.instructions);
        if (operand[0] == '-') operand = "(" + operand + ")";
        text += OperatorText(step.kind) + operand;
        rank = own;
    }
    return text;
}
