// The block interpreter against compiled code, bit for bit, on random programs without stack faults
// over rows full of special values; some columns are one value for every row.
#include "compile/block_interpreter.h"

#include <gtest/gtest.h>

#include "compile/code_generator.h"
#include "tests/random_programs.h"

namespace {

TEST(BlockInterpreter, ComputesAsTheCompiledCode) {
    constexpr int kColumns = 6;
    constexpr std::size_t kRows = 37;
    std::mt19937 random(20240801);
    CodeBuffer buffer;
    BlockInterpreter interpreter;
    for (int p = 0; p < 3000; ++p) {
        const std::vector<std::uint8_t> program = RandomProgram(random, kColumns, false);
        ASSERT_TRUE(BlockInterpreter::Runs(program.data(), program.size(), kColumns));
        std::vector<float> data(kColumns * kRows);
        for (float& value : data) value = RandomValue(random);
        const float* values[kColumns];
        std::uint8_t steps[kColumns];
        for (int c = 0; c < kColumns; ++c) values[c] = &data[c * kRows], steps[c] = c % 3 != 2;
        long double top[kRows];
        interpreter.Run(program.data(), program.size(), {values, steps, kColumns}, kRows, top);
        Compile(buffer, program);
        for (std::size_t r = 0; r < kRows; ++r) {
            float row[kColumns];
            for (int c = 0; c < kColumns; ++c) row[c] = values[c][r * steps[c]];
            const float compiled = CallCompiled(buffer, row), interpreted = static_cast<float>(top[r]);
            ASSERT_TRUE(SameFloat(compiled, interpreted)) << "program #" << p << " row " << r << ": compiled "
                                                          << compiled << ", interpreted " << interpreted;
        }
    }
}

TEST(BlockInterpreter, RefusesProgramsThatFaultOrReadPastTheColumns) {
    const std::vector<std::vector<std::uint8_t>> faulting = {
        {},                                   // nothing on the stack at the end
        {OP_ADD, 0, 0},                       // an empty top
        {OP_LOAD, 0, 0, OP_MULS, 0, 0},       // one value to combine
        {OP_SIN, 0, 0},                       // a helper of an empty top
        {OP_LOAD, 0, 9},                      // past the columns
        {OP_LOAD, 0, 0, OP_EXP_INPUT, 0, 9},  // past the columns
    };
    for (const auto& program : faulting) EXPECT_FALSE(BlockInterpreter::Runs(program.data(), program.size(), 9));
    std::vector<std::uint8_t> nine, eight;
    for (int i = 0; i < 9; ++i) nine.insert(nine.end(), {OP_LOAD, 0, 0});
    eight.assign(nine.begin(), nine.end() - 3);
    EXPECT_FALSE(BlockInterpreter::Runs(nine.data(), nine.size(), 9));
    EXPECT_TRUE(BlockInterpreter::Runs(eight.data(), eight.size(), 9));
}

}  // namespace
