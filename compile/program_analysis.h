#pragma once
// What a program computes, found from its opcodes alone.
//
// Only the pop forms OP_ADDS .. OP_DIVS read a value below the top of the x87 stack, and the depth
// before every instruction follows from the opcodes (x87_encoding.h). Without them after its last
// push, the program's value is the value pushed by that push, carried through the instructions after
// it, unless a stack fault replaced the top by NaN on the way; such a fault is known at compile time
// too. The live part is that chain: one start (a column, or NaN from a fault) and the steps that act
// on it. Everything before the start is dead. A program that combines two pushed values after its
// last restart has no such chain: its live part says so (`chain` false), and only compiled code
// computes its value.
//
// The value of the live part on a row is the program's value on that row, bit for bit:
// arithmetic steps work in x87 extended precision, a helper takes its argument rounded to float,
// and the result is the final value rounded to float.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "compile/helpers.h"

enum class StepKind : std::uint8_t {
    Column,  // start: value := the row's float at `column`
    Nan,     // start: value := NaN, from the stack fault `fault` at instruction `instruction`
    Add,     // value := value + column
    Sub,     // value := value - column
    Mul,     // value := value * column
    Div,     // value := value / column
    Helper,  // value := helper `helper`(float(value)), a float
};


enum class StackFault : std::uint8_t {
    None,
    Overflow,   // a push onto eight occupied slots leaves NaN on top
    Underflow,  // a read of an empty slot reads NaN
};

struct LiveStep {
    StepKind kind;
    std::uint8_t helper = 0;      // Helper
    std::uint16_t column = 0;     // Column, Add .. Div: the float read, operand mod 16384
    StackFault fault = StackFault::None;  // Nan
    std::uint32_t instruction = 0;        // the instruction the step comes from (Nan: where the fault is)
};

struct LiveProgram {
    std::vector<LiveStep> steps;  // steps[0] is a start (Column or Nan); no later step is a start
    std::uint32_t instructions = 0;  // the program's whole instruction count
    bool chain = true;  // false: the value combines two pushed values, and `steps` do not describe it

    // True when no step reads a column below `inputCount`: the value is then the same on every row.
    bool ReadsOnlyFrom(std::uint32_t firstColumn) const;
};

// The live part of the length / 3 whole instructions of a program. An empty program is a NaN start
// with an underflow at instruction `instructions` (the final read finds the stack empty).
LiveProgram AnalyseProgram(const std::uint8_t* program, std::size_t length);
LiveProgram AnalyseProgram(const std::vector<std::uint8_t>& program);
// The same into `live`, reusing its storage.
void AnalyseProgram(const std::uint8_t* program, std::size_t length, LiveProgram& live);

// The value of a chain on a row (its columns at `row`), computed in C++ as the compiled code does.
float EvaluateLive(const LiveProgram& live, const float* row);

// Two chains with equal keys have the same value on every row. The key holds the live steps only:
// not the dead instructions, the operands that no step reads, nor where a fault happened.
void AppendLiveKey(const LiveProgram& live, std::string& key);

// x87 stack depth before each instruction, and after the last (size instructions + 1).
std::vector<int> StackDepths(const std::uint8_t* program, std::size_t length);
