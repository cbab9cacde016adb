#include "formula/formula_printer.h"

#include <cmath>
#include <cstdio>

#include "compile/helpers.h"
#include "formula/number_text.h"

namespace {

// Binding strength, loosest first: a fault's text, a sum, a product (and a negation), a power, then
// names, numbers and calls.
enum Rank { kFault, kSum, kProduct, kPower, kAtom };

struct Text {
    std::string text;
    Rank rank;
};

std::string NumberText(long double number, int digits) {
    if (std::isnan(number)) return "NaN";
    if (std::isinf(number)) return number < 0 ? "-inf" : "inf";
    if (digits == 0) return ShortestText(number);
    char text[64];
    std::snprintf(text, sizeof text, "%.*Lg", digits, number);
    return text;
}

std::string Parenthesized(const Text& operand, bool needed) {
    return needed || operand.text[0] == '-' ? "(" + operand.text + ")" : operand.text;
}

Text Binary(Operation operation, const Text& left, const Text& right) {
    static const char* const signs[] = {" + ", " - ", " * ", " / "};
    const Rank own = operation == Operation::Add || operation == Operation::Sub ? kSum : kProduct;
    const std::string leftText = left.rank < own ? "(" + left.text + ")" : left.text;
    const int sign = static_cast<int>(operation) - static_cast<int>(Operation::Add);
    return {leftText + signs[sign] + Parenthesized(right, right.rank <= own), own};
}

Text Unary(const Node& node, const Text& operand) {
    switch (node.operation) {
        case Operation::Negate:
            return {"-" + Parenthesized(operand, operand.rank < kProduct), kProduct};
        case Operation::Power: {
            const std::string exponent = std::to_string(node.exponent);
            return {Parenthesized(operand, operand.rank < kAtom) + "^" +
                        (node.exponent < 0 ? "(" + exponent + ")" : exponent),
                    kPower};
        }
        default:
            return {std::string(kHelpers[node.helper].name) + "(" + operand.text + ")", kAtom};
    }
}

}  // namespace

std::string FaultText(const Node& fault) {
    const std::string kind = fault.fault == StackFault::Overflow ? "overflow" : "underflow";
    if (fault.instruction == kEndOfProgram) return "NaN: stack " + kind + " at the end of the program";
    return "NaN: stack " + kind + " at instruction " + std::to_string(fault.instruction + 1);
}

std::string FormulaText(const Expression& formula, const TextStyle& style) {
    return Fold<Text>(formula,
                      [&style](const Node& node, const Text* operand) -> Text {
                          switch (node.operation) {
                              case Operation::Number:
                                  return {NumberText(node.number, style.digits), kAtom};
                              case Operation::Input:
                                  return {node.input < style.names.size() ? style.names[node.input]
                                                                          : "x" + std::to_string(node.input),
                                          kAtom};
                              case Operation::Fault:
                                  return {FaultText(node), kFault};
                              case Operation::Add:
                              case Operation::Sub:
                              case Operation::Mul:
                              case Operation::Div:
                                  return Binary(node.operation, operand[0], operand[1]);
                              default:
                                  return Unary(node, operand[0]);
                          }
                      })
        .text;
}
