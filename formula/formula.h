#pragma once
// What a program computes, as a formula over the data inputs x0 .. x{K-1} and the run's constants.
//
// It is the live part of the program (compile/program_analysis.h): one start, then steps that each
// combine the value with an input or a constant, or pass it through a helper. The only rewrite is
// the fold of the leading steps that read constants alone into one number, computed as the program
// computes them (extended precision, helpers through a float); a fault start is not folded, so the
// formula still says where the stack failed. Folding needs the activation tables built.
#include <cstdint>
#include <vector>

#include "compile/program_analysis.h"

struct Term {
    enum Kind : std::uint8_t { Input, Number, Fault } kind;
    std::uint32_t input = 0;              // Input: x<input>
    long double number = 0;               // Number: a constant, or a folded part
    StackFault fault = StackFault::None;  // Fault: the value is NaN from this fault
    std::uint32_t instruction = 0;        // Fault: where, counted from 0; the instruction count at the end
};

struct FormulaStep {
    StepKind kind;  // Add .. Div with `operand`, or Helper
    std::uint8_t helper = 0;
    Term operand{Term::Number};
};

struct Formula {
    Term start{Term::Number};
    std::vector<FormulaStep> steps;
    std::uint32_t instructions = 0;  // the program's instruction count
};

// `values`: the program file's inputs list, the first `inputCount` of them the data inputs. Every
// column the live part reads must lie in the list.
Formula MakeFormula(const LiveProgram& live, const std::vector<float>& values, std::size_t inputCount);

// The formula's value on the data inputs x[0] .. x[K-1], as the program computes it.
float EvaluateFormula(const Formula& formula, const float* x);
