#pragma once
// What a program computes, as an expression over the data inputs x0 .. x{K-1} and the run's
// constants: the x87 stack of the program followed at build time, each slot holding the expression
// of its value, and the top slot's expression at the end.
//
// The only rewrite is the fold of every part that reads constants alone into one number, computed
// as the program computes it (extended precision, helpers through a float). A stack fault becomes
// a Fault node, which is never folded, so the formula still says where the stack failed; what the
// value never depends on (dead instructions, slots under the final top) does not appear. Folding
// needs the activation tables built.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formula/expression.h"

// `values`: the program file's inputs list, the first `inputCount` of them the data inputs. Every
// column an instruction reads must lie in the list.
Expression MakeFormula(const std::vector<std::uint8_t>& program, const std::vector<float>& values,
                       std::size_t inputCount);

// The formula's value on the data inputs x[0] .. x[K-1], bit for bit as the program computes it.
float EvaluateFormula(const Expression& formula, const float* x);
