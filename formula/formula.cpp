#include "formula/formula.h"

#include "compile/x87_encoding.h"

namespace {

// The operation of a memory form by its /digit, of a pop form by its second byte.
Operation OperationOfDigit(std::uint8_t digit) {
    return digit == 0   ? Operation::Add
           : digit == 4 ? Operation::Sub
           : digit == 1 ? Operation::Mul
                        : Operation::Div;
}

Operation OperationOfPop(std::uint8_t modrm) {
    return modrm == 0xC1   ? Operation::Add
           : modrm == 0xE9 ? Operation::Sub
           : modrm == 0xC9 ? Operation::Mul
                           : Operation::Div;
}

// Parts of constants alone become one number, as the program computes it.
Expression Folded(Expression expression, bool constant) {
    return constant ? NumberExpression(Evaluate<long double>(expression, nullptr)) : expression;
}

Expression Folded(Operation operation, Expression left, Expression right) {
    const bool constant = left.IsNumber() && right.IsNumber();
    return Folded(Combine(operation, std::move(left), std::move(right)), constant);
}

Expression Called(std::uint8_t helper, Expression operand) {
    const bool constant = operand.IsNumber();
    return Folded(Apply(Operation::Call, std::move(operand), helper), constant);
}

// The x87 stack at build time, bottom first.
class StackModel {
  public:
    StackModel(const std::vector<float>& values, std::size_t inputCount)
        : values_(values), inputCount_(inputCount) {}

    void Step(const std::uint8_t* instruction, std::uint32_t n) {
        const OpcodeForm& form = FormOf(instruction[0]);
        const auto helper = static_cast<std::uint8_t>((instruction[0] - 9) / 2);  // from OP_EXP_INPUT on
        switch (form.shape) {
            case Shape::Load:
                Push(Column(instruction), n);
                break;
            case Shape::Arithmetic:
                Operate(OperationOfDigit(form.digit), Column(instruction), n);
                break;
            case Shape::LoadThenPop:
                if (slots_.size() == kX87Slots) {  // the load overflows, and its NaN is the result
                    slots_.erase(slots_.begin());
                    slots_.back() = FaultExpression(StackFault::Overflow, n);
                } else {
                    Operate(OperationOfPop(form.pop[1]), Column(instruction), n);
                }
                break;
            case Shape::HelperOfInput:
                Push(Column(instruction), n);
                slots_.back() = Called(helper, std::move(slots_.back()));
                break;
            case Shape::HelperOfTop:
                if (slots_.empty()) slots_.push_back(FaultExpression(StackFault::Underflow, n));
                slots_.back() = Called(helper, std::move(slots_.back()));
                break;
            case Shape::Pop:
                Pop(OperationOfPop(form.pop[1]), n);
                break;
            case Shape::Nop:
                break;
        }
    }

    Expression Result() {
        return slots_.empty() ? FaultExpression(StackFault::Underflow, kEndOfProgram)
                              : std::move(slots_.back());
    }

  private:
    Expression Column(const std::uint8_t* instruction) const {
        const auto operand = static_cast<std::uint16_t>(instruction[1] << 8 | instruction[2]);
        const std::size_t column = DisplacementOf(operand) / 4u;
        if (column < inputCount_) return InputExpression(static_cast<std::uint32_t>(column));
        return NumberExpression(values_.at(column));
    }

    // A push onto eight slots loses the oldest and leaves NaN on top.
    void Push(Expression value, std::uint32_t n) {
        if (slots_.size() == kX87Slots) {
            slots_.erase(slots_.begin());
            value = FaultExpression(StackFault::Overflow, n);
        }
        slots_.push_back(std::move(value));
    }

    // The top against `right`; on an empty stack the result is NaN, whatever `right` is.
    void Operate(Operation operation, Expression right, std::uint32_t n) {
        if (slots_.empty()) {
            slots_.push_back(FaultExpression(StackFault::Underflow, n));
        } else {
            slots_.back() = Folded(operation, std::move(slots_.back()), std::move(right));
        }
    }

    // The top two values combined; with fewer, the result is NaN (the pop form finds st(1) empty).
    void Pop(Operation operation, std::uint32_t n) {
        if (slots_.size() < 2) {
            slots_.assign(1, FaultExpression(StackFault::Underflow, n));
            return;
        }
        Expression right = std::move(slots_.back());
        slots_.pop_back();
        slots_.back() = Folded(operation, std::move(slots_.back()), std::move(right));
    }

    const std::vector<float>& values_;
    std::size_t inputCount_;
    std::vector<Expression> slots_;
};

}  // namespace

Expression MakeFormula(const std::vector<std::uint8_t>& program, const std::vector<float>& values,
                       std::size_t inputCount) {
    StackModel stack(values, inputCount);
    for (std::size_t at = 0; at + 3 <= program.size(); at += 3) {
        stack.Step(program.data() + at, static_cast<std::uint32_t>(at / 3));
    }
    return stack.Result();
}

float EvaluateFormula(const Expression& formula, const float* x) {
    return static_cast<float>(Evaluate<long double>(formula, x));
}
