#include "compile/program_analysis.h"

#include <limits>

#include "compile/opcodes.h"
#include "compile/x87_encoding.h"

namespace {

std::uint16_t ColumnOf(const std::uint8_t* instruction) {
    const auto operand = static_cast<std::uint16_t>(instruction[1] << 8 | instruction[2]);
    return static_cast<std::uint16_t>(DisplacementOf(operand) / 4);
}

// The chain restarts: what came before no longer reaches the value.
void Restart(LiveProgram& live, LiveStep start) {
    live.steps.clear();
    live.steps.push_back(start);
}

LiveStep Fault(StackFault fault, std::uint32_t instruction) {
    return {StepKind::Nan, 0, 0, fault, instruction};
}

StepKind ArithmeticKind(std::uint8_t opcode) {
    static const StepKind kinds[] = {StepKind::Add, StepKind::Sub, StepKind::Mul, StepKind::Div};
    return kinds[(opcode - OP_ADD) % 4];
}

// One instruction at stack depth `depth`.
void Step(LiveProgram& live, const std::uint8_t* instruction, std::uint32_t n, int depth) {
    const std::uint8_t opcode = instruction[0];
    const OpcodeForm& form = FormOf(opcode);
    const std::uint16_t column = ColumnOf(instruction);
    const LiveStep load{StepKind::Column, 0, column, StackFault::None, n};
    const std::uint8_t helper = HelperOf(opcode);
    switch (form.shape) {
        case Shape::Load:
            Restart(live, depth == kX87Slots ? Fault(StackFault::Overflow, n) : load);
            break;
        case Shape::Arithmetic:
            if (depth == 0) {
                Restart(live, Fault(StackFault::Underflow, n));
            } else {
                live.steps.push_back({ArithmeticKind(opcode), 0, column, StackFault::None, n});
            }
            break;
        case Shape::LoadThenPop:
            if (depth == 0 || depth == kX87Slots) {  // st(1) empty, or the push overflows
                Restart(live, Fault(depth == 0 ? StackFault::Underflow : StackFault::Overflow, n));
            } else {
                live.steps.push_back({ArithmeticKind(opcode), 0, column, StackFault::None, n});
            }
            break;
        case Shape::HelperOfInput:
            Restart(live, depth == kX87Slots ? Fault(StackFault::Overflow, n) : load);
            live.steps.push_back({StepKind::Helper, helper, 0, StackFault::None, n});
            break;
        case Shape::HelperOfTop:
            if (depth == 0) Restart(live, Fault(StackFault::Underflow, n));
            live.steps.push_back({StepKind::Helper, helper, 0, StackFault::None, n});
            break;
        case Shape::Pop:
            if (depth <= 1) {
                Restart(live, Fault(StackFault::Underflow, n));
            } else {
                live.chain = false;
            }
            break;
        case Shape::Nop:
            break;
    }
}

// Whether the instruction at stack depth `depth` starts the chain afresh: a push, or a stack fault
// that leaves NaN on top whatever came before.
bool Restarts(Shape shape, int depth) {
    switch (shape) {
        case Shape::Load:
        case Shape::HelperOfInput:
            return true;
        case Shape::Arithmetic:
        case Shape::HelperOfTop:
            return depth == 0;
        case Shape::LoadThenPop:
            return depth == 0 || depth == kX87Slots;
        case Shape::Pop:
            return depth <= 1;
        case Shape::Nop:
            break;
    }
    return false;
}

}  // namespace

bool LiveProgram::ReadsOnlyFrom(std::uint32_t firstColumn) const {
    for (const LiveStep& step : steps) {
        const bool reads = step.kind != StepKind::Nan && step.kind != StepKind::Helper;
        if (reads && step.column < firstColumn) return false;
    }
    return true;
}

LiveProgram AnalyseProgram(const std::uint8_t* program, std::size_t length) {
    LiveProgram live;
    AnalyseProgram(program, length, live);
    return live;
}

namespace {

// Depth after, and whether it restarts, by opcode (from kOpcodeCount on: a nop) and depth before:
// random opcodes make branches on the shape mispredict, table lookups do not.
struct Transitions {
    std::uint8_t depthAfter[kOpcodeCount][kX87Slots + 1];
    bool restarts[kOpcodeCount][kX87Slots + 1];
};

const Transitions& TransitionTable() {
    static const Transitions table = [] {
        Transitions t{};
        for (int opcode = 0; opcode < kOpcodeCount; ++opcode) {
            for (int depth = 0; depth <= kX87Slots; ++depth) {
                const OpcodeForm& form = FormOf(static_cast<std::uint8_t>(opcode));
                t.depthAfter[opcode][depth] = static_cast<std::uint8_t>(DepthAfter(form, depth));
                t.restarts[opcode][depth] = Restarts(form.shape, depth);
            }
        }
        return t;
    }();
    return table;
}

}  // namespace

// Finds the last restart first, so that only the live instructions make steps.
void AnalyseProgram(const std::uint8_t* program, std::size_t length, LiveProgram& live) {
    const Transitions& table = TransitionTable();
    live.steps.clear();
    live.chain = true;
    live.instructions = static_cast<std::uint32_t>(length / 3);
    std::uint32_t start = 0;
    int startDepth = 0, depth = 0;
    for (std::uint32_t n = 0; n < live.instructions; ++n) {
        const std::uint8_t opcode = program[3 * static_cast<std::size_t>(n)];
        const int row = opcode < kOpcodeCount ? int{opcode} : int{OP_NOP};
        if (table.restarts[row][depth]) start = n, startDepth = depth;
        depth = table.depthAfter[row][depth];
    }
    if (depth == 0) {
        Restart(live, Fault(StackFault::Underflow, live.instructions));
        return;
    }
    for (std::uint32_t n = start; n < live.instructions; ++n) {
        const std::uint8_t* instruction = program + 3 * static_cast<std::size_t>(n);
        Step(live, instruction, n, startDepth);
        startDepth = DepthAfter(FormOf(instruction[0]), startDepth);
    }
}

LiveProgram AnalyseProgram(const std::vector<std::uint8_t>& program) {
    return AnalyseProgram(program.data(), program.size());
}

float EvaluateLive(const LiveProgram& live, const float* row) {
    long double value = 0;  // x87 extended precision on both targets
    for (const LiveStep& step : live.steps) {
        const long double x = step.kind == StepKind::Nan || step.kind == StepKind::Helper ? 0 : row[step.column];
        switch (step.kind) {
            case StepKind::Column: value = x; break;
            case StepKind::Nan: value = -std::numeric_limits<long double>::quiet_NaN(); break;  // the x87 indefinite
            case StepKind::Add: value += x; break;
            case StepKind::Sub: value -= x; break;
            case StepKind::Mul: value *= x; break;
            case StepKind::Div: value /= x; break;
            case StepKind::Helper: value = kHelpers[step.helper].compute(static_cast<float>(value)); break;
        }
    }
    return static_cast<float>(value);
}

void AppendLiveKey(const LiveProgram& live, std::string& key) {
    for (const LiveStep& step : live.steps) {
        key.push_back(static_cast<char>(step.kind));
        if (step.kind == StepKind::Helper) {
            key.push_back(static_cast<char>(step.helper));
        } else if (step.kind != StepKind::Nan) {
            key.push_back(static_cast<char>(step.column >> 8));
            key.push_back(static_cast<char>(step.column & 0xFF));
        }
    }
}

std::vector<int> StackDepths(const std::uint8_t* program, std::size_t length) {
    std::vector<int> depths{0};
    for (std::size_t i = 0; i + 3 <= length; i += 3) depths.push_back(DepthAfter(FormOf(program[i]), depths.back()));
    return depths;
}
