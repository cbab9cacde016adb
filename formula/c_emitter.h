#pragma once
// A formula as a C99 source file defining float tarvo_model(const float *x): the same value from the
// K data inputs with no assembler. Arithmetic runs in long double (x87 extended precision with gcc
// and clang on x86), each helper takes its argument through a float as the program does, and the
// sigmoid and tanh tables hold the values the program builds. Needs the activation tables built.
#include <cstddef>
#include <string>
#include <vector>

#include "formula/expression.h"

// `origin` names the program file in the opening comment, which shows the formula with `names` for
// the inputs where given (formula_printer.h). Every name the file defines begins with "tarvo_"; all
// but tarvo_model are static.
std::string CSource(const Expression& formula, std::size_t inputCount, const std::string& origin,
                    const std::vector<std::string>& names = {});
