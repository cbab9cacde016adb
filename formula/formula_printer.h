#pragma once
// A formula as one line of infix text for people: inputs x0 .. x{K-1}, constants as the shortest
// numbers that are exactly them, the usual precedence with operators of equal rank read from the
// left, parentheses only where the order of the steps needs them, and helpers by name.
#include <string>

#include "formula/formula.h"

// The right-hand side of "y = ...".
std::string FormulaText(const Formula& formula);

// "NaN: stack overflow at instruction 9", with instructions counted from 1.
std::string FaultText(const Term& fault, std::uint32_t instructions);
