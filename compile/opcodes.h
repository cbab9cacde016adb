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
};
