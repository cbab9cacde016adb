// Compiled programs against a reference evaluator of the stack machine, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <thread>

#include "compile/activation.h"
#include "compile/code_generator.h"
#include "compile/opcodes.h"
#include "compile/program_analysis.h"

namespace {

constexpr int kSlots = 8;
constexpr int kColumns = 12;
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
        if (depth == 0) {
            slots[depth++] = kNaN;
        }
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
            if (opcode % 2 == 1) {
                Push(column);
            }
            const auto argument = static_cast<float>(Pop());  // helpers take and give floats
            Push(helpers[(opcode - OP_EXP_INPUT) / 2](argument));
        }
    }
};

float Evaluate(const std::vector<std::uint8_t>& program, const float* row) {
    ReferenceMachine machine;
    for (std::size_t i = 0; i + 3 <= program.size(); i += 3) {  // byte offset 4 * operand, 16-bit
        machine.Step(program[i], row[(program[i + 1] << 8 | program[i + 2]) % 16384]);
    }
    return static_cast<float>(machine.Top());
}

// Where the x87 raises no stack faults (the IA-32 emulator the tests run under: pushes wrap around
// and empty slots read stale), programs keep the stack between one and eight values.
bool FaultFree(std::uint8_t opcode, int depth) {
    const bool ofInput = opcode >= OP_EXP_INPUT && opcode <= OP_TANH && opcode % 2 == 1;
    const bool pushes = opcode == OP_LOAD || (opcode >= OP_ADDP && opcode <= OP_DIVP) || ofInput;
    return depth == kSlots ? !pushes : depth > 0 || opcode == OP_LOAD || ofInput || opcode >= OP_NOP;
}

std::vector<std::uint8_t> RandomProgram(std::mt19937& random, bool stackFaults) {
    std::vector<std::uint8_t> program;
    ReferenceMachine depth;  // only its depth is used
    for (int n = std::uniform_int_distribution<int>(0, 40)(random); n > 0; --n) {
        std::uint8_t opcode;
        do {
            const int draw = std::uniform_int_distribution<int>(0, 99)(random);
            opcode = static_cast<std::uint8_t>(
                draw < 96 ? draw % 24 : std::uniform_int_distribution<int>(24, 255)(random));
        } while (!stackFaults && !FaultFree(opcode, depth.depth));
        int operand = std::uniform_int_distribution<int>(0, kColumns - 1)(random);
        if (std::uniform_int_distribution<int>(0, 9)(random) == 0) {
            operand += 16384 * std::uniform_int_distribution<int>(1, 3)(random);  // wraps to the same column
        }
        program.insert(program.end(),
                       {opcode, static_cast<std::uint8_t>(operand >> 8), static_cast<std::uint8_t>(operand)});
        depth.Step(opcode, 0.0f);
    }
    if (!stackFaults && depth.depth == 0) {
        program.insert(program.end(), {OP_LOAD, 0, 0});
    }
    return program;
}

float RandomValue(std::mt19937& random) {
    using Limits = std::numeric_limits<float>;
    const float specials[] = {
        0.0f,  -0.0f,  1.0f,    -1.0f,         Limits::infinity(),  -Limits::infinity(),
        5.0f,  -5.0f,  3.0f,    Limits::max(), Limits::quiet_NaN(), Limits::denorm_min(),
        1e20f, -3e38f, -1e-40f, Limits::min()};
    const int kind = std::uniform_int_distribution<int>(0, 9)(random);
    if (kind < 2) {
        return specials[std::uniform_int_distribution<std::size_t>(0, std::size(specials) - 1)(random)];
    }
    if (kind < 4) {
        return std::ldexp(std::uniform_real_distribution<float>(-1.0f, 1.0f)(random),
                          std::uniform_int_distribution<int>(-140, 127)(random));
    }
    return std::uniform_real_distribution<float>(-6.0f, 6.0f)(random);
}

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

// The first mismatch of `programs` random programs, each on 16 random rows, or "".
std::string FirstMismatch(unsigned seed, int programs, bool stackFaults) {
    std::mt19937 random(seed);
    CodeBuffer buffer;
    for (int p = 0; p < programs; ++p) {
        const std::vector<std::uint8_t> program = RandomProgram(random, stackFaults);
        Compile(buffer, program);
        for (int r = 0; r < 16; ++r) {
            float row[kColumns];
            for (float& value : row) value = RandomValue(random);
            const float expected = Evaluate(program, row);
            const float live = EvaluateLive(AnalyseProgram(program), row);
            std::uint32_t x87;
            const float actual = CallObserved(buffer, row, x87);
            const bool same = (std::isnan(expected) && std::isnan(actual)) ||
                              std::memcmp(&expected, &actual, sizeof actual) == 0;
            // Only the live part matters, where the x87 raises stack faults as the analysis assumes.
            const bool liveSame = !stackFaults || (std::isnan(expected) && std::isnan(live)) ||
                                  std::memcmp(&expected, &live, sizeof live) == 0;
            if (!same || !liveSame || x87 != 0x027FFFFF) {
                std::ostringstream text;  // nine digits tell floats apart
                text << "seed " << seed << ", program #" << p << ":" << std::hex << std::setfill('0');
                for (std::uint8_t byte : program) text << " " << std::setw(2) << int(byte);
                text << "\nx87 control and tag words " << x87 << std::dec << std::setprecision(9) << ", row:";
                for (float value : row) text << " " << value;
                text << "\nexpected " << expected << ", compiled " << actual << ", live part " << live;
                return text.str();
            }
        }
    }
    return "";
}

// Two workers, each compiling into and running its own buffer while the other does the same.
TEST(CompiledPrograms, MatchTheReferenceOnRandomProgramsAndRows) {
    BuildTanhTable();
    BuildSigmoidTable();
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
