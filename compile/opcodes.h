#pragma once
#include <cstdint>

enum Opcode : std::uint8_t {
    OP_LOAD = 0,
    OP_ADD = 1,
    OP_SUB = 2,
    OP_MUL = 3,
    OP_DIV = 4,
    OP_ADDP = 5,
    OP_SUBP = 6,
    OP_MULP = 7,
    OP_DIVP = 8,
    OP_EXP_INPUT = 9,
    OP_EXP = 10,
    OP_LOG_INPUT = 11,
    OP_LOG = 12,
    OP_SIN_INPUT = 13,
    OP_SIN = 14,
    OP_COS_INPUT = 15,
    OP_COS = 16,
    OP_TAN_INPUT = 17,
    OP_TAN = 18,
    OP_SIGMOID_INPUT = 19,
    OP_SIGMOID = 20,
    OP_TANH_INPUT = 21,
    OP_TANH = 22,
    OP_NOP = 23,
    // The top two values combined (st(1) := st(1) op st(0), then a pop); the operand is not read.
    OP_ADDS = 24,
    OP_SUBS = 25,
    OP_MULS = 26,
    OP_DIVS = 27,
};

// Opcode bytes from here on are nops, like OP_NOP.
constexpr int kOpcodeCount = OP_DIVS + 1;
