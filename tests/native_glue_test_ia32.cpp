// IA-32 helpers run with the program's values on the x87 stack, most of which the math library
// needs (sin, cos and tan nearly all): at every depth they must give their value and leave the
// values below their argument as they were.
#include <gtest/gtest.h>

#include <iterator>

#include "compile/activation.h"
#include "compile/code_generator.h"
#include "compile/opcodes.h"

namespace {

// Calls the program through the bare pointer and pops the eight x87 slots, top first.
void CallAndReadStack(CompiledFunction function, const float* row, float (&slots)[8]) {
    __asm__ volatile(
        "pushl %[row]\n\tcall *%[function]\n\taddl $4, %%esp\n\t"
        "fstps 0(%[slots])\n\tfstps 4(%[slots])\n\tfstps 8(%[slots])\n\tfstps 12(%[slots])\n\t"
        "fstps 16(%[slots])\n\tfstps 20(%[slots])\n\tfstps 24(%[slots])\n\tfstps 28(%[slots])\n\t"
        :
        : [row] "r"(row), [function] "r"(function), [slots] "r"(slots)
        : "eax", "ecx", "edx", "memory", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)");
}

TEST(NativeGlueIa32, HelpersKeepTheValuesBelowTheirArgument) {
    float (*const helpers[])(float) = {exp_func, log_func,           sin_func,     cos_func,
                                       tan_func, sigmoidal_act_func, tanh_act_func};
    const float row[9] = {10, 11, 12, 13, 14, 15, 16, 17, 0.5f};
    CodeBuffer buffer;
    for (std::uint8_t opcode = OP_EXP_INPUT; opcode <= OP_TANH; ++opcode) {
        for (std::uint8_t below = 0; below < 8; ++below) {
            std::vector<std::uint8_t> program;
            for (std::uint8_t i = 0; i < below; ++i) program.insert(program.end(), {OP_LOAD, 0, i});
            if (opcode % 2 == 0) {  // a helper of the top: load its argument first
                program.insert(program.end(), {OP_LOAD, 0, 8});
            }
            program.insert(program.end(), {opcode, 0, 8});
            Compile(buffer, program);
            float slots[8];
            CallAndReadStack(buffer.Function(), row, slots);
            std::vector<float> expected = {helpers[(opcode - OP_EXP_INPUT) / 2](0.5f)};
            expected.insert(expected.end(), std::make_reverse_iterator(row + below), std::rend(row));
            EXPECT_EQ(std::vector<float>(slots, slots + below + 1), expected) << "opcode " << int(opcode);
        }
    }
}

}  // namespace
