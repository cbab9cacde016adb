// x86-64: entry, exit and helper-call glue around the shared body, byte for byte.
#include <gtest/gtest.h>

#include "compile/opcodes.h"
#include "tests/code_test_support.h"

namespace {

#define PROLOGUE                                                                                       \
    "53 48 83 EC 50 48 89 FB 48 89 F8 48 89 F9 48 89 FA D9 7C 24 4C 66 C7 44 24 4E 7F 03 D9 6C 24 4E " \
    "DD C0 DD C1 DD C2 DD C3 DD C4 DD C5 DD C6 DD C7 "
#define STORE_RESULT "D9 5C 24 48 "
#define RETURN "F3 0F 10 44 24 48 D9 6C 24 4C 48 83 C4 50 5B C3"
#define DROP "DD D8 "
#define CALL_START "D9 5C 24 48 "
#define CALL "F3 0F 10 44 24 48 48 B8 <> FF D0 F3 0F 11 44 24 48 "
#define CALL_END "D9 44 24 48 48 89 D8 48 89 D9 48 89 DA "
#define SPILL_7 "DB 7C 24 00 DB 7C 24 0A DB 7C 24 14 DB 7C 24 1E DB 7C 24 28 DB 7C 24 32 DB 7C 24 3C "
#define RELOAD_7 "DB 6C 24 3C DB 6C 24 32 DB 6C 24 28 DB 6C 24 1E DB 6C 24 14 DB 6C 24 0A DB 6C 24 00 "
#define EIGHT_LOADS "D9 00 D9 01 D9 02 D9 00 D9 01 D9 02 D9 00 D9 01 "

std::vector<std::uint8_t> Imm64(float (*helper)(float), const std::uint8_t* /*at*/) {
    const auto address = reinterpret_cast<std::uint64_t>(helper);
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 8; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
    }
    return bytes;
}

std::vector<std::uint8_t> Loads(int count, std::initializer_list<std::uint8_t> last) {
    std::vector<std::uint8_t> program;
    for (int i = 0; i < count; ++i) {
        program.insert(program.end(), {OP_LOAD, 0, 0});
    }
    program.insert(program.end(), last);
    return program;
}

TEST(NativeGlueX86_64, WholeBuffers) {
    const struct {
        std::vector<std::uint8_t> program;
        const char* bytes;
        HelperFunction helper = nullptr;
    } cases[] = {
        {{}, PROLOGUE STORE_RESULT RETURN},
        {ProgramOf({{OP_LOAD, 0}}), PROLOGUE "D9 00 " STORE_RESULT RETURN},
        {ProgramOf({{OP_LOAD, 0}, {OP_LOAD, 1}, {OP_LOAD, 2}}),
         PROLOGUE "D9 00 D9 81 04 00 00 00 D9 82 08 00 00 00 " STORE_RESULT DROP DROP RETURN},
        // A helper with nothing below its argument, then with one value and with seven.
        {ProgramOf({{OP_EXP_INPUT, 0x0102}}),
         PROLOGUE "D9 80 08 04 00 00 " CALL_START CALL CALL_END STORE_RESULT RETURN, exp_func},
        {ProgramOf({{OP_LOAD, 0}, {OP_LOAD, 0}, {OP_TANH, 0}}),
         PROLOGUE "D9 00 D9 01 " CALL_START "DB 7C 24 00 " CALL
                  "DB 6C 24 00 " CALL_END STORE_RESULT DROP RETURN,
         tanh_act_func},
        {Loads(8, {OP_SIN, 0, 0}),
         PROLOGUE EIGHT_LOADS CALL_START SPILL_7 CALL RELOAD_7 CALL_END STORE_RESULT DROP DROP DROP DROP DROP
             DROP DROP RETURN,
         sin_func},
        // On a full stack the argument's load overwrites the top with NaN; seven values stay below.
        {Loads(8, {OP_LOG_INPUT, 0, 0}),
         PROLOGUE EIGHT_LOADS "D9 02 " CALL_START SPILL_7 CALL RELOAD_7 CALL_END STORE_RESULT DROP DROP DROP
             DROP DROP DROP DROP RETURN,
         log_func},
    };
    CodeBuffer buffer;
    for (const auto& c : cases) {
        Compile(buffer, c.program);
        EXPECT_EQ(Hex(buffer.Bytes(), buffer.Size()), ExpandHelper(c.bytes, c.helper, buffer.Bytes(), Imm64))
            << ProgramHex(c.program);
    }
}

// The processor here raises x87 stack faults, so the semantic tests run every program unrestricted.
TEST(NativeGlueX86_64, ProcessorRaisesStackFaults) { EXPECT_TRUE(X87ModelsStackFaults()); }

}  // namespace
