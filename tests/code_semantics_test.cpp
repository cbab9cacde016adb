// Compiled programs against a reference evaluator of the stack machine, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <random>
#include <sstream>
#include <thread>

#include "compile/activation.h"
#include "compile/code_generator.h"
#include "compile/opcodes.h"
#include "compile/program_analysis.h"
#include "compile/row_kernel.h"
#include "tests/random_programs.h"

namespace {

constexpr int kColumns = 12;

// Runs the program with the caller's control word at double precision. Gives its value and the x87
// control and tag words after it, which must be 027Fh and FFFFh (no slot in use), or compiled C++
// code after it computes wrong.
float CallObserved(const CodeBuffer& buffer, const float* row, std::uint32_t& x87) {
    std::uint16_t original, doublePrecision = 0x027F;
    __asm__ volatile("fnstcw %0\n\tfldcw %1" : "=m"(original) : "m"(doublePrecision));
    const float value = CallCompiled(buffer, row);
    std::uint32_t environment[7];  // control, status and tag words first
    __asm__ volatile("fnstenv %0\n\tfldenv %0\n\tfldcw %1" : "=m"(environment) : "m"(original));
    x87 = (environment[0] & 0xFFFF) << 16 | (environment[2] & 0xFFFF);
    return value;
}

// The first mismatch of `programs` random programs, each on 15 random rows, or "". Where the x87
// raises stack faults, the live part in C++ and the row kernel must give the compiled values too.
std::string FirstMismatch(unsigned seed, int programs, bool stackFaults) {
    constexpr int kRows = 15;  // the kernel reads a sixteenth
    std::mt19937 random(seed);
    CodeBuffer buffer;
    RowKernel kernel;
    for (int p = 0; p < programs; ++p) {
        const std::vector<std::uint8_t> program = RandomProgram(random, kColumns, stackFaults);
        Compile(buffer, program);
        const LiveProgram live = AnalyseProgram(program);
        const int slot = p % RowKernel::kKernelPrograms;
        kernel.Prepare(slot, live);
        float rows[RoundedRows(kRows)][kColumns], blockValues[RoundedRows(kRows)];
        for (auto& row : rows)
            for (float& value : row) value = RandomValue(random);
        kernel.Run(slot, rows[0], kColumns, kRows, blockValues);
        for (int r = 0; r < kRows; ++r) {
            const float* row = rows[r];
            const float expected = ReferenceValue(program.data(), program.size(), row);
            std::uint32_t x87;
            const float actual = CallObserved(buffer, row, x87);
            const float inC = EvaluateLive(live, row);
            const bool liveSame = !stackFaults || !live.chain ||
                                  (SameFloat(expected, inC) && SameFloat(expected, blockValues[r]));
            if (!SameFloat(expected, actual) || !liveSame || x87 != 0x027FFFFF) {
                std::ostringstream text;  // nine digits tell floats apart
                text << "seed " << seed << ", program #" << p << ":" << std::hex << std::setfill('0');
                for (std::uint8_t byte : program) text << " " << std::setw(2) << int(byte);
                text << "\nx87 control and tag words " << x87 << std::dec << std::setprecision(9) << ", row:";
                for (int c = 0; c < kColumns; ++c) text << " " << row[c];
                text << "\nexpected " << expected << ", compiled " << actual << ", live part " << inC
                     << ", kernel " << blockValues[r];
                return text.str();
            }
        }
    }
    return "";
}

// Two workers, each compiling into and running its own buffer while the other does the same.
TEST(CompiledPrograms, MatchTheReferenceOnRandomProgramsAndRows) {
    CodeBuffer probe;  // nine pushes give NaN where the x87 raises stack faults, as processors do
    Compile(probe, std::vector<std::uint8_t>(9 * 3, OP_LOAD));
    const float one[] = {1.0f};
    const bool stackFaults = std::isnan(CallCompiled(probe, one));
    EXPECT_TRUE(stackFaults || sizeof(void*) == 4) << "only the IA-32 emulator may lack stack faults";
    std::string mismatches[2];
    std::thread other([&] { mismatches[1] = FirstMismatch(20240612, 2000, stackFaults); });
    mismatches[0] = FirstMismatch(20240611, 2000, stackFaults);
    other.join();
    for (const std::string& mismatch : mismatches) EXPECT_TRUE(mismatch.empty()) << mismatch;
}

}  // namespace
