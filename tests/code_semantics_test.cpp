// Compiled programs against a reference evaluator of the stack machine, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <thread>

#include "compile/activation.h"
#include "compile/opcodes.h"
#include "tests/code_test_support.h"

namespace {

constexpr int kSlots = 8;
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

long double Arithmetic(int op, long double a, long double b) {  // op: 0 add, 1 sub, 2 mul, 3 div
    switch (op) {
        case 0:
            return a + b;
        case 1:
            return a - b;
        case 2:
            return a * b;
        default:
            return a / b;
    }
}

HelperFunction HelperOf(std::uint8_t opcode) {
    const HelperFunction helpers[] = {exp_func, log_func,           sin_func,     cos_func,
                                      tan_func, sigmoidal_act_func, tanh_act_func};
    return helpers[(opcode - OP_EXP_INPUT) / 2];
}

// The stack machine in x87 extended precision, with the x87 stack as the processor keeps it: eight
// slots, masked stack faults. A push onto a full stack drops the oldest value and leaves NaN on top;
// reading an empty slot reads NaN; an operation that writes an empty slot fills it.
class ReferenceMachine {
  public:
    void Step(std::uint8_t opcode, float column) {
        const long double x = column;
        if (opcode == OP_LOAD) {
            Push(x);
        } else if (opcode <= OP_DIV) {
            long double& top = Top();
            top = Arithmetic(opcode - OP_ADD, top, x);
        } else if (opcode <= OP_DIVP) {
            Push(x);
            const long double top = Pop();
            long double& second = Top();
            second = Arithmetic(opcode - OP_ADDP, second, top);
        } else if (opcode <= OP_TANH) {
            if (opcode % 2 == 1) {
                Push(x);
            }
            const auto argument = static_cast<float>(Pop());  // helpers take and give floats
            Push(HelperOf(opcode)(argument));
        }
    }
    float Result() { return static_cast<float>(Depth() == 0 ? kNaN : Top()); }
    int Depth() const { return depth_; }

  private:
    void Push(long double value) {
        if (depth_ == kSlots) {
            std::memmove(slots_, slots_ + 1, sizeof slots_[0] * (kSlots - 1));
            slots_[kSlots - 1] = kNaN;
            return;
        }
        slots_[depth_++] = value;
    }
    long double Pop() { return depth_ == 0 ? kNaN : slots_[--depth_]; }
    long double& Top() {
        if (depth_ == 0) {
            slots_[depth_++] = kNaN;
        }
        return slots_[depth_ - 1];
    }

    long double slots_[kSlots];
    int depth_ = 0;
};

float Column(const std::vector<std::uint8_t>& program, std::size_t i, const float* row) {
    return row[(program[i + 1] << 8 | program[i + 2]) % 16384];  // byte offset 4 * operand, 16-bit
}

float Evaluate(const std::vector<std::uint8_t>& program, const float* row) {
    ReferenceMachine machine;
    for (std::size_t i = 0; i + 3 <= program.size(); i += 3) {
        machine.Step(program[i], Column(program, i, row));
    }
    return machine.Result();
}

bool SameFloat(float a, float b) {  // NaN matches any NaN; otherwise every bit counts
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

std::string FloatText(float value) {
    std::ostringstream text;
    text.precision(9);
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    text << value << " (0x" << std::hex << bits << ")";
    return text.str();
}

}  // namespace

namespace {

// Whether the processor raises x87 stack faults (pushes onto a full stack and reads of empty slots
// give NaN). Where it does not (the emulator the IA-32 tests run under), programs keep the stack
// between one and eight values, the range where no fault arises.
bool Allowed(std::uint8_t opcode, int depth, bool stackFaults) {
    const bool helper = opcode >= OP_EXP_INPUT && opcode <= OP_TANH;
    const bool pushes =
        opcode == OP_LOAD || (opcode >= OP_ADDP && opcode <= OP_DIVP) || (helper && opcode % 2);
    const bool readsTop = (opcode >= OP_ADD && opcode <= OP_DIVP) || (helper && opcode % 2 == 0);
    return stackFaults || !((pushes && depth == kSlots) || (readsTop && depth == 0));
}

std::vector<std::uint8_t> RandomProgram(std::mt19937& random, int columns, bool stackFaults) {
    std::vector<std::uint8_t> program;
    ReferenceMachine depth;  // only its depth is used
    const int length = std::uniform_int_distribution<int>(0, 40)(random);
    const float zeros[1] = {0.0f};
    for (int n = 0; n < length; ++n) {
        std::uint8_t opcode = OP_NOP;
        for (int attempt = 0; attempt < 20; ++attempt) {
            const int draw = std::uniform_int_distribution<int>(0, 99)(random);
            const auto candidate = static_cast<std::uint8_t>(
                draw < 96 ? draw % 24 : std::uniform_int_distribution<int>(24, 255)(random));
            if (Allowed(candidate, depth.Depth(), stackFaults)) {
                opcode = candidate;
                break;
            }
        }
        int operand = std::uniform_int_distribution<int>(0, columns - 1)(random);
        if (std::uniform_int_distribution<int>(0, 9)(random) == 0) {
            operand += 16384 * std::uniform_int_distribution<int>(1, 3)(random);  // wraps to the same column
        }
        program.insert(program.end(),
                       {opcode, static_cast<std::uint8_t>(operand >> 8), static_cast<std::uint8_t>(operand)});
        depth.Step(opcode, zeros[0]);
    }
    if (!stackFaults && depth.Depth() == 0) {
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

struct X87State {
    std::uint16_t control;
    std::uint16_t tags;
};

X87State ReadX87State() {
    std::uint8_t environment[28];  // protected-mode 32-bit layout: control, status, tag words
    __asm__ volatile("fnstenv %0\n\tfldenv %0" : "=m"(environment));
    X87State state;
    std::memcpy(&state.control, environment, 2);
    std::memcpy(&state.tags, environment + 8, 2);
    return state;
}

class CompiledPrograms : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        BuildTanhTable();
        BuildSigmoidTable();
    }
};

TEST_F(CompiledPrograms, MatchTheReferenceOnRandomProgramsAndRows) {
    const bool stackFaults = X87ModelsStackFaults();
    if (!stackFaults) {
        std::cout << "note: this x87 has no stack faults; programs keep 1 to 8 values on the stack\n";
    }
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    constexpr int kColumns = 12;
    CodeBuffer buffer;
    int failures = 0;
    for (int p = 0; p < 4000 && failures < 5; ++p) {
        const std::vector<std::uint8_t> program = RandomProgram(random, kColumns, stackFaults);
        Compile(buffer, program);
        for (int r = 0; r < 16; ++r) {
            float row[kColumns];
            for (float& value : row) {
                value = RandomValue(random);
            }
            const float expected = Evaluate(program, row);
            const float actual = CallCompiled(buffer, row);
            const bool emptied = ReadX87State().tags == 0xFFFF;
            if (!SameFloat(actual, expected) || !emptied) {
                std::ostringstream rowText;
                for (float value : row) {
                    rowText << FloatText(value) << " ";
                }
                ADD_FAILURE() << "seed " << seed << " program #" << p << ": " << ProgramHex(program)
                              << "\nrow: " << rowText.str() << "\nexpected " << FloatText(expected)
                              << ", compiled " << FloatText(actual)
                              << (emptied ? "" : "; x87 slots left occupied");
                ++failures;
                break;
            }
        }
    }
}

TEST_F(CompiledPrograms, SmallProgramsGiveTheirValues) {
    const float row[] = {1.5f, 2.0f, -4.0f, 0.0f};
    const struct {
        std::vector<std::uint8_t> program;
        float value;
    } cases[] = {
        {ProgramOf({{OP_LOAD, 0}}), 1.5f},
        {ProgramOf({{OP_LOAD, 1}, {OP_ADD, 2}}), -2.0f},
        {ProgramOf({{OP_LOAD, 2}, {OP_SUBP, 0}}), -5.5f},
        {ProgramOf({{OP_LOAD, 2}, {OP_DIVP, 1}}), -2.0f},
        {ProgramOf({{OP_LOAD, 2}, {OP_DIV, 3}}), -std::numeric_limits<float>::infinity()},
        {ProgramOf({{OP_LOAD, 0x4001}, {OP_MUL, 0xC002}}), -8.0f},  // operands wrap at 16384
        {ProgramOf({{OP_LOAD, 3}, {OP_EXP, 0}, {OP_NOP, 0}, {255, 0}}), 1.0f},
        {ProgramOf({{OP_SIGMOID_INPUT, 3}}), 0.5f},
        {ProgramOf({{OP_LOAD, 1}, {OP_TANH_INPUT, 3}, {OP_ADDP, 1}, {OP_ADDP, 1}}), 0.0f + 2.0f + 2.0f},
    };
    CodeBuffer buffer;
    for (const auto& c : cases) {
        Compile(buffer, c.program);
        EXPECT_EQ(CallCompiled(buffer, row), c.value) << ProgramHex(c.program);
        EXPECT_EQ(buffer.Function()(row), c.value) << ProgramHex(c.program) << " through the bare pointer";
    }
}

TEST_F(CompiledPrograms, StackOverflowAndEmptyStackGiveNaN) {
    if (!X87ModelsStackFaults()) {
        GTEST_SKIP() << "this x87 (an emulator) does not raise stack faults";
    }
    const float row[] = {1.0f, 2.0f};
    std::vector<std::uint8_t> eight;
    for (int i = 0; i < 8; ++i) {
        eight.insert(eight.end(), {OP_LOAD, 0, 1});
    }
    std::vector<std::uint8_t> nine = eight;
    nine.insert(nine.end(), {OP_LOAD, 0, 0});
    CodeBuffer buffer;
    Compile(buffer, eight);
    EXPECT_EQ(CallCompiled(buffer, row), 2.0f);
    Compile(buffer, nine);
    EXPECT_TRUE(std::isnan(CallCompiled(buffer, row)));
    Compile(buffer, {});
    EXPECT_TRUE(std::isnan(CallCompiled(buffer, row)));
    Compile(buffer, ProgramOf({{OP_ADD, 0}}));
    EXPECT_TRUE(std::isnan(CallCompiled(buffer, row)));
}

TEST_F(CompiledPrograms, LeaveTheX87StackEmptyAndTheControlWordAsFound) {
    const float row[] = {1.0f, 2.0f};
    std::vector<std::uint8_t> deep;
    for (int i = 0; i < 7; ++i) {
        deep.insert(deep.end(), {OP_LOAD, 0, 1});
    }
    CodeBuffer buffer;
    Compile(buffer, deep);
    std::uint16_t control = 0x027F;  // double precision, so that a reset shows
    std::uint16_t original;
    __asm__ volatile("fnstcw %0\n\tfldcw %1" : "=m"(original) : "m"(control));
    const float value = CallCompiled(buffer, row);
    const X87State after = ReadX87State();
    __asm__ volatile("fldcw %0" : : "m"(original));
    EXPECT_EQ(value, 2.0f);
    EXPECT_EQ(after.tags, 0xFFFF) << "x87 slots left occupied";
    EXPECT_EQ(after.control, 0x027F);
}

}  // namespace

namespace {

// Each worker compiles into and runs its own buffer while the others do the same.
TEST_F(CompiledPrograms, BuffersWorkSideBySideOnThreads) {
    constexpr int kWorkers = 4;
    std::vector<CodeBuffer> buffers(kWorkers);
    int mismatches[kWorkers] = {};
    std::vector<std::thread> threads;
    for (int worker = 0; worker < kWorkers; ++worker) {
        threads.emplace_back([&buffers, &mismatches, worker] {
            std::mt19937 random(1000 + worker);
            for (int p = 0; p < 300; ++p) {
                const std::vector<std::uint8_t> program = RandomProgram(random, 4, X87ModelsStackFaults());
                Compile(buffers[worker], program);
                const float row[4] = {RandomValue(random), RandomValue(random), 0.5f, -2.0f};
                mismatches[worker] += !SameFloat(CallCompiled(buffers[worker], row), Evaluate(program, row));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int worker = 0; worker < kWorkers; ++worker) {
        EXPECT_EQ(mismatches[worker], 0) << "worker " << worker << ", seed " << 1000 + worker;
    }
}

}  // namespace
