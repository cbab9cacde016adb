#pragma once
// Random programs and row values for the tests that hold compiled code against a reference: every
// opcode, bytes above the opcodes, operands that wrap, NaN, infinities, zeros and denormals.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

#include "compile/activation.h"
#include "compile/opcodes.h"

constexpr int kSlots = 8;
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

// The stack machine in x87 extended precision, with the x87 stack as the processor keeps it: eight
// slots, masked stack faults. A push onto a full stack drops the oldest value and leaves NaN on top;
// reading an empty slot reads NaN; an operation that writes an empty slot fills it.
struct ReferenceMachine {
    long double slots[kSlots];
    int depth = 0;

    void Push(long double value) {
        if (depth == kSlots) {
            std::memmove(slots, slots + 1, sizeof slots[0] * (kSlots - 1));
            value = kNaN;
            --depth;
        }
        slots[depth++] = value;
    }
    long double Pop() { return depth == 0 ? kNaN : slots[--depth]; }
    long double& Top() {
        if (depth == 0) slots[depth++] = kNaN;
        return slots[depth - 1];
    }
    static long double Arithmetic(int op, long double a, long double b) {  // add, sub, mul, div
        return op == 0 ? a + b : op == 1 ? a - b : op == 2 ? a * b : a / b;
    }
    void Step(std::uint8_t opcode, float column) {
        float (*const helpers[])(float) = {exp_func, log_func,           sin_func,     cos_func,
                                           tan_func, sigmoidal_act_func, tanh_act_func};
        if (opcode == OP_LOAD) {
            Push(column);
        } else if (opcode <= OP_DIV) {
            Top() = Arithmetic(opcode - OP_ADD, Top(), column);
        } else if (opcode <= OP_DIVP) {
            Push(column);
            const long double top = Pop();
            Top() = Arithmetic(opcode - OP_ADDP, Top(), top);
        } else if (opcode <= OP_TANH) {
            if (opcode % 2 == 1) Push(column);
            const auto argument = static_cast<float>(Pop());  // helpers take and give floats
            Push(helpers[(opcode - OP_EXP_INPUT) / 2](argument));
        } else if (opcode >= OP_ADDS && opcode <= OP_DIVS) {
            const long double top = Pop();
            Top() = Arithmetic(opcode - OP_ADDS, Top(), top);
        }
    }
};

// The program's value on the row, operands being byte offsets 4 * operand, 16-bit.
inline float ReferenceValue(const std::uint8_t* program, std::size_t length, const float* row) {
    ReferenceMachine machine;
    for (std::size_t i = 0; i + 3 <= length; i += 3)
        machine.Step(program[i], row[(program[i + 1] << 8 | program[i + 2]) % 16384]);
    return static_cast<float>(machine.Top());
}

// Bit for bit, any NaN equal to any NaN.
inline bool SameFloat(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// Where the x87 raises no stack faults (the IA-32 emulator the tests run under: pushes wrap around
// and empty slots read stale), programs keep the stack between one and eight values.
inline bool FaultFree(std::uint8_t opcode, int depth) {
    if (opcode >= OP_ADDS && opcode <= OP_DIVS) return depth >= 2;
    const bool ofInput = opcode >= OP_EXP_INPUT && opcode <= OP_TANH && opcode % 2 == 1;
    const bool pushes = opcode == OP_LOAD || (opcode >= OP_ADDP && opcode <= OP_DIVP) || ofInput;
    return depth == kSlots ? !pushes : depth > 0 || opcode == OP_LOAD || ofInput || opcode >= OP_NOP;
}

// `combining`: with the opcodes that combine the top two values (OP_ADDS .. OP_DIVS); without,
// their bytes do not occur.
inline std::vector<std::uint8_t> RandomProgram(std::mt19937& random, int columns, bool stackFaults,
                                               bool combining = true) {
    const int opcodes = combining ? kOpcodeCount : OP_NOP + 1;
    std::vector<std::uint8_t> program;
    ReferenceMachine depth;  // only its depth is used
    for (int n = std::uniform_int_distribution<int>(0, 40)(random); n > 0; --n) {
        std::uint8_t opcode;
        do {
            const int draw = std::uniform_int_distribution<int>(0, 99)(random);
            opcode = static_cast<std::uint8_t>(
                draw < 96 ? draw % opcodes : std::uniform_int_distribution<int>(kOpcodeCount, 255)(random));
        } while (!stackFaults && !FaultFree(opcode, depth.depth));
        int operand = std::uniform_int_distribution<int>(0, columns - 1)(random);
        if (std::uniform_int_distribution<int>(0, 9)(random) == 0)
            operand += 16384 * std::uniform_int_distribution<int>(1, 3)(random);  // wraps to the same column
        program.insert(program.end(),
                       {opcode, static_cast<std::uint8_t>(operand >> 8), static_cast<std::uint8_t>(operand)});
        depth.Step(opcode, 0.0f);
    }
    if (!stackFaults && depth.depth == 0) program.insert(program.end(), {OP_LOAD, 0, 0});
    return program;
}

inline float RandomValue(std::mt19937& random) {
    using Limits = std::numeric_limits<float>;
    const float specials[] = {
        0.0f,  -0.0f,  1.0f,    -1.0f,         Limits::infinity(),  -Limits::infinity(),
        5.0f,  -5.0f,  3.0f,    Limits::max(), Limits::quiet_NaN(), Limits::denorm_min(),
        1e20f, -3e38f, -1e-40f, Limits::min()};
    const int kind = std::uniform_int_distribution<int>(0, 9)(random);
    if (kind < 2)
        return specials[std::uniform_int_distribution<std::size_t>(0, std::size(specials) - 1)(random)];
    if (kind < 4)
        return std::ldexp(std::uniform_real_distribution<float>(-1.0f, 1.0f)(random),
                          std::uniform_int_distribution<int>(-140, 127)(random));
    return std::uniform_real_distribution<float>(-6.0f, 6.0f)(random);
}
