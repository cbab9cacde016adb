#include "formula/expression.h"

#include <cmath>
#include <limits>

#include "compile/helpers.h"

int ArityOf(Operation operation) {
    switch (operation) {
        case Operation::Number:
        case Operation::Input:
        case Operation::Fault:
            return 0;
        case Operation::Negate:
        case Operation::Power:
        case Operation::Call:
            return 1;
        default:
            return 2;
    }
}

Expression NumberExpression(long double number) {
    Node node{Operation::Number};
    node.number = number;
    return {{node}};
}

Expression InputExpression(std::uint32_t input) {
    Node node{Operation::Input};
    node.input = input;
    return {{node}};
}

Expression FaultExpression(StackFault fault, std::uint32_t instruction) {
    Node node{Operation::Fault};
    node.fault = fault;
    node.instruction = instruction;
    return {{node}};
}

Expression Combine(Operation operation, Expression left, Expression right) {
    left.nodes.insert(left.nodes.end(), right.nodes.begin(), right.nodes.end());
    left.nodes.push_back(Node{operation});
    return left;
}

Expression Apply(Operation operation, Expression operand, std::int32_t detail) {
    Node node{operation};
    if (operation == Operation::Call) node.helper = static_cast<std::uint8_t>(detail);
    if (operation == Operation::Power) node.exponent = detail;
    operand.nodes.push_back(node);
    return operand;
}

template <class T>
T Evaluate(const Expression& expression, const float* x) {
    return Fold<T>(expression, [x](const Node& node, const T* operand) -> T {
        switch (node.operation) {
            case Operation::Number:
                return static_cast<T>(node.number);
            case Operation::Input:
                return x[node.input];
            case Operation::Fault:
                return -std::numeric_limits<T>::quiet_NaN();  // the x87 indefinite
            case Operation::Add:
                return operand[0] + operand[1];
            case Operation::Sub:
                return operand[0] - operand[1];
            case Operation::Mul:
                return operand[0] * operand[1];
            case Operation::Div:
                return operand[0] / operand[1];
            case Operation::Negate:
                return -operand[0];
            case Operation::Power:
                return std::pow(operand[0], static_cast<T>(node.exponent));
            case Operation::Call:
                return kHelpers[node.helper].compute(static_cast<float>(operand[0]));
        }
        return 0;
    });
}

template long double Evaluate<long double>(const Expression&, const float*);
template double Evaluate<double>(const Expression&, const float*);

bool ReadsInputs(const Expression& expression) {
    for (const Node& node : expression.nodes) {
        if (node.operation == Operation::Input) return true;
    }
    return false;
}

std::vector<bool> HelpersUsed(const Expression& expression) {
    std::vector<bool> used(kHelperCount);
    for (const Node& node : expression.nodes) {
        if (node.operation == Operation::Call) used[node.helper] = true;
    }
    return used;
}
