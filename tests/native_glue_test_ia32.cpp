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

#define TAIL "83 C4 04 8B 45 08 8B 4D 08 8B 55 08"

// Per rotation position: through eax, ecx and edx.
const char* const kOfInput[3] = {"51 D9 00 D9 1C 24 E8 <> " TAIL, "51 D9 01 D9 1C 24 E8 <> " TAIL,
                                 "51 D9 02 D9 1C 24 E8 <> " TAIL};
const char* const kOfInputDisplaced[3] = {"51 D9 80 08 04 00 00 D9 1C 24 E8 <> " TAIL,
                                          "51 D9 81 08 04 00 00 D9 1C 24 E8 <> " TAIL,
                                          "51 D9 82 08 04 00 00 D9 1C 24 E8 <> " TAIL};
const char* const kOfTop[3] = {"51 D9 1C 24 E8 <> " TAIL, "51 D9 1C 24 E8 <> " TAIL,
                               "51 D9 1C 24 E8 <> " TAIL};

TEST(NativeGlueIa32, HelperCallsInEveryRotationPosition) {
    const struct {
        std::uint8_t ofInput;
        HelperFunction helper;
    } helpers[] = {{OP_EXP_INPUT, exp_func},      {OP_LOG_INPUT, log_func},
                   {OP_SIN_INPUT, sin_func},      {OP_COS_INPUT, cos_func},
                   {OP_TAN_INPUT, tan_func},      {OP_SIGMOID_INPUT, sigmoidal_act_func},
                   {OP_TANH_INPUT, tanh_act_func}};
    CodeBuffer buffer;
    for (const auto& h : helpers) {
        const struct {
            std::uint8_t opcode;
            std::uint16_t operand;
            const char* const* bytes;
        } forms[] = {{h.ofInput, 0x4000, kOfInput},
                     {h.ofInput, 0x0102, kOfInputDisplaced},
                     {static_cast<std::uint8_t>(h.ofInput + 1), 0x0102, kOfTop}};
        for (const auto& form : forms) {
            for (int position = 0; position < 3; ++position) {
                std::vector<std::uint8_t> program(3 * position, OP_NOP);
                program.insert(program.end(), {form.opcode, static_cast<std::uint8_t>(form.operand >> 8),
                                               static_cast<std::uint8_t>(form.operand)});
                Compile(buffer, program);
                const std::uint8_t* start = buffer.Bytes() + kPrologueSize + position;
                EXPECT_EQ(BodyHex(buffer),
                          NopsHex(position) + ExpandHelper(form.bytes[position], h.helper, start, Rel32))
                    << "opcode " << int(form.opcode) << " position " << position;
            }
        }
    }
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
