#include "compile/block_interpreter.h"

#include "compile/exact_math.h"
#include "compile/x87_encoding.h"

namespace {

std::uint16_t ColumnOf(const std::uint8_t* instruction) {
    const auto operand = static_cast<std::uint16_t>(instruction[1] << 8 | instruction[2]);
    return static_cast<std::uint16_t>(DisplacementOf(operand) / 4);
}

// add, sub, mul, div in the order of OP_ADD .. OP_DIV
template <int Op>
long double Apply(long double a, long double b) {
    if constexpr (Op == 0) return a + b;
    if constexpr (Op == 1) return a - b;
    if constexpr (Op == 2) return a * b;
    return a / b;
}

template <int Op>
void WithColumn(long double* top, const float* column, std::size_t step, std::size_t rows) {
    if (step == 0) {
        const long double x = column[0];
        for (std::size_t r = 0; r < rows; ++r) top[r] = Apply<Op>(top[r], x);
    } else {
        for (std::size_t r = 0; r < rows; ++r) top[r] = Apply<Op>(top[r], column[r]);
    }
}

template <int Op>
void WithTop(long double* below, const long double* top, std::size_t rows) {
    for (std::size_t r = 0; r < rows; ++r) below[r] = Apply<Op>(below[r], top[r]);
}

void Combine(int op, long double* top, const float* column, std::size_t step, std::size_t rows) {
    switch (op) {
        case 0: return WithColumn<0>(top, column, step, rows);
        case 1: return WithColumn<1>(top, column, step, rows);
        case 2: return WithColumn<2>(top, column, step, rows);
        default: return WithColumn<3>(top, column, step, rows);
    }
}

void Combine(int op, long double* below, const long double* top, std::size_t rows) {
    switch (op) {
        case 0: return WithTop<0>(below, top, rows);
        case 1: return WithTop<1>(below, top, rows);
        case 2: return WithTop<2>(below, top, rows);
        default: return WithTop<3>(below, top, rows);
    }
}

void Load(long double* top, const float* column, std::size_t step, std::size_t rows) {
    for (std::size_t r = 0; r < rows; ++r) top[r] = column[r * step];
}

}  // namespace

bool BlockInterpreter::Runs(const std::uint8_t* program, std::size_t length, std::size_t columns) {
    int depth = 0;
    for (const std::uint8_t* at = program; at + 3 <= program + length; at += 3) {
        const OpcodeForm& form = FormOf(at[0]);
        const bool reads = form.shape != Shape::HelperOfTop && form.shape != Shape::Pop && form.shape != Shape::Nop;
        const bool pushes = form.shape == Shape::Load || form.shape == Shape::LoadThenPop ||
                            form.shape == Shape::HelperOfInput;
        const int needed = form.shape == Shape::Pop ? 2 : form.shape == Shape::Arithmetic ||
                                                                  form.shape == Shape::LoadThenPop ||
                                                                  form.shape == Shape::HelperOfTop;
        if ((reads && ColumnOf(at) >= columns) || depth < needed || (pushes && depth == kX87Slots)) return false;
        depth = DepthAfter(form, depth);
    }
    return depth > 0;
}

void BlockInterpreter::Run(const std::uint8_t* program, std::size_t length, const BlockColumns& columns,
                           std::size_t rows, long double* top) {
    int depth = 0;  // slots in use; stack_[depth - 1] is the top
    for (const std::uint8_t* at = program; at + 3 <= program + length; at += 3) {
        const OpcodeForm& form = FormOf(at[0]);
        const std::uint16_t c = ColumnOf(at);
        const float* column = form.shape == Shape::Pop || form.shape == Shape::HelperOfTop ||
                                      form.shape == Shape::Nop
                                  ? nullptr
                                  : columns.values[c];
        const std::size_t step = column ? columns.steps[c] : 0;
        switch (form.shape) {
            case Shape::Load:
                Load(stack_[depth++], column, step, rows);
                break;
            case Shape::Arithmetic:
                Combine(at[0] - OP_ADD, stack_[depth - 1], column, step, rows);
                break;
            case Shape::LoadThenPop:  // the same rounding as the memory form
                Combine(at[0] - OP_ADDP, stack_[depth - 1], column, step, rows);
                break;
            case Shape::HelperOfInput:
            case Shape::HelperOfTop: {
                long double* value = stack_[form.shape == Shape::HelperOfInput ? depth++ : depth - 1];
                for (std::size_t r = 0; r < rows; ++r)
                    argument_[r] = column ? column[r * step] : static_cast<float>(value[r]);
                const auto helper = static_cast<HelperIndex>((at[0] - OP_EXP_INPUT) / 2);
                kHelpers[helper].block(argument_, argument_, rows);
                for (std::size_t r = 0; r < rows; ++r) value[r] = argument_[r];
                break;
            }
            case Shape::Pop:
                Combine(at[0] - OP_ADDS, stack_[depth - 2], stack_[depth - 1], rows);
                --depth;
                break;
            case Shape::Nop:
                break;
        }
    }
    for (std::size_t r = 0; r < rows; ++r) top[r] = stack_[depth - 1][r];
}
