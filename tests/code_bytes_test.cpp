// The x87 body, which both targets encode alike: every non-call opcode in every rotation position,
// without displacement (operand 0x4000 wraps to offset 0) and with one. Expected bytes as an
// assembler writes them.
#include <gtest/gtest.h>

#include "compile/opcodes.h"
#include "tests/code_test_support.h"

namespace {

struct BodyCase {
    std::uint8_t opcode;
    std::uint16_t operand;
    const char* bytes[3];  // as instruction 0, 1 and 2: through eax, ecx and edx
};

// clang-format off
const BodyCase kBodyCases[] = {
    {OP_LOAD, 0x4000, {"D9 00", "D9 01", "D9 02"}},
    {OP_LOAD, 0x0102, {"D9 80 08 04 00 00", "D9 81 08 04 00 00", "D9 82 08 04 00 00"}},
    {OP_LOAD, 0xFFFF, {"D9 80 FC FF 00 00", "D9 81 FC FF 00 00", "D9 82 FC FF 00 00"}},
    {OP_ADD, 0x4000, {"D8 00", "D8 01", "D8 02"}},
    {OP_ADD, 0x0102, {"D8 80 08 04 00 00", "D8 81 08 04 00 00", "D8 82 08 04 00 00"}},
    {OP_SUB, 0x4000, {"D8 20", "D8 21", "D8 22"}},
    {OP_SUB, 0x0102, {"D8 A0 08 04 00 00", "D8 A1 08 04 00 00", "D8 A2 08 04 00 00"}},
    {OP_MUL, 0x4000, {"D8 08", "D8 09", "D8 0A"}},
    {OP_MUL, 0x0102, {"D8 88 08 04 00 00", "D8 89 08 04 00 00", "D8 8A 08 04 00 00"}},
    {OP_DIV, 0x4000, {"D8 30", "D8 31", "D8 32"}},
    {OP_DIV, 0x0102, {"D8 B0 08 04 00 00", "D8 B1 08 04 00 00", "D8 B2 08 04 00 00"}},
    {OP_ADDP, 0x4000, {"D9 00 DE C1", "D9 01 DE C1", "D9 02 DE C1"}},
    {OP_ADDP, 0x0102, {"D9 80 08 04 00 00 DE C1", "D9 81 08 04 00 00 DE C1", "D9 82 08 04 00 00 DE C1"}},
    {OP_SUBP, 0x4000, {"D9 00 DE E9", "D9 01 DE E9", "D9 02 DE E9"}},
    {OP_SUBP, 0x0102, {"D9 80 08 04 00 00 DE E9", "D9 81 08 04 00 00 DE E9", "D9 82 08 04 00 00 DE E9"}},
    {OP_MULP, 0x4000, {"D9 00 DE C9", "D9 01 DE C9", "D9 02 DE C9"}},
    {OP_MULP, 0x0102, {"D9 80 08 04 00 00 DE C9", "D9 81 08 04 00 00 DE C9", "D9 82 08 04 00 00 DE C9"}},
    {OP_DIVP, 0x4000, {"D9 00 DE F9", "D9 01 DE F9", "D9 02 DE F9"}},
    {OP_DIVP, 0x0102, {"D9 80 08 04 00 00 DE F9", "D9 81 08 04 00 00 DE F9", "D9 82 08 04 00 00 DE F9"}},
    {OP_NOP, 0x0102, {"90", "90", "90"}},
    {24,     0x0102, {"90", "90", "90"}},
    {255,    0xFFFF, {"90", "90", "90"}},
};
// clang-format on

TEST(CodeBytes, EveryBodyFormInEveryRotationPosition) {
    CodeBuffer buffer;
    for (const BodyCase& c : kBodyCases) {
        for (int position = 0; position < 3; ++position) {
            std::vector<std::uint8_t> program;
            for (int i = 0; i < position; ++i) {
                program.insert(program.end(), {OP_NOP, 0, 0});
            }
            program.insert(program.end(), {c.opcode, static_cast<std::uint8_t>(c.operand >> 8),
                                           static_cast<std::uint8_t>(c.operand)});
            Compile(buffer, program);
            EXPECT_EQ(BodyHex(buffer), NopsHex(position) + c.bytes[position])
                << "opcode " << int(c.opcode) << " operand " << c.operand << " position " << position;
        }
    }
}

TEST(CodeBytes, ProgramsMixingForms) {
    const struct {
        std::vector<std::uint8_t> program;
        const char* body;
    } cases[] = {
        {ProgramOf({{OP_LOAD, 1}, {OP_ADD, 2}}), "D9 80 04 00 00 00 D8 81 08 00 00 00"},
        {ProgramOf({{OP_LOAD, 0}, {OP_ADD, 0}, {OP_ADDP, 0}}), "D9 00 D8 01 D9 02 DE C1"},
        {ProgramOf({{OP_LOAD, 0}, {OP_SUB, 3}, {OP_MULP, 0x4001}, {OP_DIV, 0x4000}}),
         "D9 00 D8 A1 0C 00 00 00 D9 82 04 00 00 00 DE C9 D8 30"},
        {{}, ""},
        {{OP_LOAD, 0, 0, OP_ADD}, "D9 00"},  // a partial instruction at the end is no instruction
    };
    CodeBuffer buffer;
    for (const auto& c : cases) {
        Compile(buffer, c.program);
        EXPECT_EQ(BodyHex(buffer), c.body) << ProgramHex(c.program);
    }
}

TEST(CodeBytes, RecompilingReplacesTheWholeBody) {
    CodeBuffer buffer;
    std::vector<std::uint8_t> longer;
    for (int i = 0; i < 200; ++i) {
        longer.insert(longer.end(), {OP_SIN_INPUT, 1, 2});
    }
    Compile(buffer, longer);
    const std::size_t longSize = buffer.Size();
    Compile(buffer, ProgramOf({{OP_LOAD, 1}}));
    EXPECT_EQ(BodyHex(buffer), "D9 80 04 00 00 00");
    for (std::size_t i = buffer.Size(); i < longSize; ++i) {
        ASSERT_EQ(buffer.Bytes()[i], 0xCC) << "byte " << i << " of the earlier program survived";
    }
    const float row[] = {1.0f, 2.5f};
    EXPECT_EQ(CallCompiled(buffer, row), 2.5f);
}

TEST(CodeBytes, BufferGrowsToFitAnyProgram) {
    CodeBuffer buffer;
    EXPECT_EQ(buffer.Capacity(), kInitialCodeBufferSize);
    std::vector<std::uint8_t> program = {OP_LOAD, 0, 1};
    for (int i = 0; i < 5000; ++i) {  // 5000 calls: more than 65,536 bytes on both targets
        program.insert(program.end(), {OP_SIN, 0, 0});
    }
    program.insert(program.end(), {OP_ADD, 0, 0});
    Compile(buffer, program);
    EXPECT_GT(buffer.Capacity(), kInitialCodeBufferSize);
    EXPECT_LE(buffer.Size(), buffer.Capacity());
    const float row[] = {7.0f, 0.0f};
    EXPECT_EQ(CallCompiled(buffer, row), 7.0f);  // sin 0 = 0, five thousand times, then + 7
    Compile(buffer, ProgramOf({{OP_LOAD, 1}}));
    EXPECT_EQ(CallCompiled(buffer, row), 0.0f);
}

TEST(CodeBuffers, LiveInAVectorAndStayIndependent) {
    std::vector<CodeBuffer> buffers(4);
    for (std::size_t k = 0; k < buffers.size(); ++k) {
        Compile(buffers[k], ProgramOf({{OP_LOAD, static_cast<std::uint16_t>(k)}}));
    }
    buffers.emplace_back();  // may move the others
    Compile(buffers[4], ProgramOf({{OP_LOAD, 0}, {OP_MUL, 0}}));
    const float row[] = {3.0f, 5.0f, 7.0f, 11.0f};
    const float expected[] = {3.0f, 5.0f, 7.0f, 11.0f, 9.0f};
    for (std::size_t k = 0; k < buffers.size(); ++k) {
        EXPECT_EQ(CallCompiled(buffers[k], row), expected[k]) << "buffer " << k;
    }
}

}  // namespace
