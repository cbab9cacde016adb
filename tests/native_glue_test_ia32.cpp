// IA-32: the whole buffer, byte for byte, and the helper call sequences with their rel32.
#include <gtest/gtest.h>

#include "compile/opcodes.h"
#include "compile/x87_encoding.h"
#include "tests/code_test_support.h"

namespace {

const char* const kPrologueHex =
    "55 8B EC 81 EC C4 00 00 00 53 56 57 8D BD 3C FF FF FF B9 31 00 00 00 B8 CC CC CC CC F3 AB "
    "8B 45 08 8B 4D 08 8B 55 08 DB E3";
const char* const kEpilogueHex = "D9 9D 3C FF FF FF D9 85 3C FF FF FF 5F 5E 5B 8B E5 5D C3";

std::vector<std::uint8_t> Rel32(float (*helper)(float), const std::uint8_t* at) {
    const auto rel = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(helper) -
                                                reinterpret_cast<std::uintptr_t>(at + 4));
    return {std::uint8_t(rel), std::uint8_t(rel >> 8), std::uint8_t(rel >> 16), std::uint8_t(rel >> 24)};
}

TEST(NativeGlueIa32, WholeBuffers) {
    const struct {
        std::vector<std::uint8_t> program;
        std::string bytes;
    } cases[] = {
        {{}, std::string(kPrologueHex) + " " + kEpilogueHex},
        {ProgramOf({{OP_LOAD, 0}}), std::string(kPrologueHex) + " D9 00 " + kEpilogueHex},
        {ProgramOf({{OP_LOAD, 1}, {OP_ADD, 2}}),
         std::string(kPrologueHex) + " D9 80 04 00 00 00 D8 81 08 00 00 00 " + kEpilogueHex},
    };
    CodeBuffer buffer;
    for (const auto& c : cases) {
        Compile(buffer, c.program);
        EXPECT_EQ(Hex(buffer.Bytes(), buffer.Size()), c.bytes) << ProgramHex(c.program);
    }
    Compile(buffer, ProgramOf({{OP_LOAD, 0}}));
    EXPECT_EQ(buffer.Size(), 62u);
}

struct CallCase {
    std::uint8_t opcode;
    std::uint16_t operand;
    const char* bytes[3];  // as instruction 0, 1 and 2
};

#define TAIL "83 C4 04 8B 45 08 8B 4D 08 8B 55 08"
#define OF_TOP(h) {"51 D9 1C 24 E8 <" h "> " TAIL, "51 D9 1C 24 E8 <" h "> " TAIL, "51 D9 1C 24 E8 <" h "> " TAIL}
#define OF_INPUT(h) {"51 D9 00 D9 1C 24 E8 <" h "> " TAIL, "51 D9 01 D9 1C 24 E8 <" h "> " TAIL, \
                     "51 D9 02 D9 1C 24 E8 <" h "> " TAIL}
#define OF_INPUT_DISP(h) {"51 D9 80 08 04 00 00 D9 1C 24 E8 <" h "> " TAIL, \
                          "51 D9 81 08 04 00 00 D9 1C 24 E8 <" h "> " TAIL, \
                          "51 D9 82 08 04 00 00 D9 1C 24 E8 <" h "> " TAIL}
// clang-format off
const CallCase kCallCases[] = {
    {OP_EXP_INPUT, 0x0000, OF_INPUT("exp_func")},      {OP_EXP_INPUT, 0x0102, OF_INPUT_DISP("exp_func")},
    {OP_EXP, 0x0102, OF_TOP("exp_func")},
    {OP_LOG_INPUT, 0x4000, OF_INPUT("log_func")},      {OP_LOG_INPUT, 0x0102, OF_INPUT_DISP("log_func")},
    {OP_LOG, 0x0000, OF_TOP("log_func")},
    {OP_SIN_INPUT, 0x0000, OF_INPUT("sin_func")},      {OP_SIN_INPUT, 0x0102, OF_INPUT_DISP("sin_func")},
    {OP_SIN, 0x0000, OF_TOP("sin_func")},
    {OP_COS_INPUT, 0x0000, OF_INPUT("cos_func")},      {OP_COS_INPUT, 0x0102, OF_INPUT_DISP("cos_func")},
    {OP_COS, 0x0000, OF_TOP("cos_func")},
    {OP_TAN_INPUT, 0x0000, OF_INPUT("tan_func")},      {OP_TAN_INPUT, 0x0102, OF_INPUT_DISP("tan_func")},
    {OP_TAN, 0x0000, OF_TOP("tan_func")},
    {OP_SIGMOID_INPUT, 0x0000, OF_INPUT("sigmoidal_act_func")},
    {OP_SIGMOID_INPUT, 0x0102, OF_INPUT_DISP("sigmoidal_act_func")},
    {OP_SIGMOID, 0x0000, OF_TOP("sigmoidal_act_func")},
    {OP_TANH_INPUT, 0x0000, OF_INPUT("tanh_act_func")},
    {OP_TANH_INPUT, 0x0102, OF_INPUT_DISP("tanh_act_func")},
    {OP_TANH, 0x0000, OF_TOP("tanh_act_func")},
};
// clang-format on

TEST(NativeGlueIa32, HelperCallsInEveryRotationPosition) {
    CodeBuffer buffer;
    for (const CallCase& c : kCallCases) {
        for (int position = 0; position < 3; ++position) {
            std::vector<std::uint8_t> program(3 * position, OP_NOP);
            program.insert(program.end(), {c.opcode, static_cast<std::uint8_t>(c.operand >> 8),
                                           static_cast<std::uint8_t>(c.operand)});
            Compile(buffer, program);
            const std::uint8_t* body = buffer.Bytes() + kPrologueSize;
            const std::string expected = ExpandHelpers(c.bytes[position], body + position, Rel32);
            EXPECT_EQ(BodyHex(buffer), NopsHex(position) + expected)
                << "opcode " << int(c.opcode) << " position " << position;
        }
    }
}

TEST(NativeGlueIa32, CallReachesTheHelper) {
    CodeBuffer buffer;
    Compile(buffer, ProgramOf({{OP_LOAD, 0}, {OP_NOP, 0}, {OP_EXP, 0}}));
    const std::uint8_t* call = buffer.Bytes() + kPrologueSize + 2 + 1 + 4;  // D9 00, 90, 51 D9 1C 24
    ASSERT_EQ(call[0], 0xE8);
    std::uint32_t rel = 0;
    for (int i = 0; i < 4; ++i) {
        rel |= std::uint32_t(call[1 + i]) << (8 * i);
    }
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(call + 5) + rel, reinterpret_cast<std::uintptr_t>(&exp_func));
    EXPECT_EQ(Hex(call + 5, 12), TAIL);
}

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

// The math library needs most of the x87 stack (sin, cos and tan nearly all of it); the helpers
// must compute right and leave every program value below their argument as it was.
TEST(NativeGlueIa32, HelpersKeepTheValuesBelowTheirArgument) {
    BuildTanhTable();
    BuildSigmoidTable();
    CodeBuffer buffer;
    for (std::uint8_t opcode = OP_EXP_INPUT; opcode <= OP_TANH; ++opcode) {
        const bool ofInput = opcode % 2 == 1;
        for (int below = 0; below < 8; ++below) {
            float row[9] = {10, 11, 12, 13, 14, 15, 16, 17, 0.5f};
            std::vector<std::uint8_t> program;
            for (int i = 0; i < below; ++i) {
                program.insert(program.end(), {OP_LOAD, 0, static_cast<std::uint8_t>(i)});
            }
            program.insert(program.end(), {OP_LOAD, 0, 8});
            if (ofInput) {
                program.resize(program.size() - 3);
            }
            program.insert(program.end(), {opcode, 0, 8});
            Compile(buffer, program);
            float slots[8];
            CallAndReadStack(buffer.Function(), row, slots);
            const HelperFunction helper = FormOf(opcode).helper;
            EXPECT_EQ(slots[0], helper(0.5f)) << ProgramHex(program);
            for (int i = 1; i <= below; ++i) {
                EXPECT_EQ(slots[i], row[below - i]) << "slot " << i << " of " << ProgramHex(program);
            }
        }
    }
}

}  // namespace
