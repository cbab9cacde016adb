#pragma once
// An expression as one line of infix text for people: the usual precedence, operators of equal rank
// read from the left, parentheses only where the meaning needs them (a right operand of equal rank
// keeps them, since floating-point sums and products depend on their order), and a right operand
// that begins with a minus sign in parentheses. Helpers by name, powers as x0^2.
#include <string>
#include <vector>

#include "formula/expression.h"

struct TextStyle {
    std::vector<std::string> names;  // input i prints as names[i], or as x<i> past the list's end
    // Numbers: 0 for the shortest text that reads back as exactly the number; otherwise %g with at
    // most this many significant digits.
    int digits = 0;
};

// The right-hand side of "y = ...".
std::string FormulaText(const Expression& formula, const TextStyle& style = {});

// "NaN: stack overflow at instruction 9", instructions counted from 1.
std::string FaultText(const Node& fault);
