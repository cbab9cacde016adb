#pragma once
// A formula as an expression tree: numbers, the data inputs, stack faults, + - * /, negation,
// integer powers and the helpers. Both the exact formula of a program (formula.h) and its
// simplified form (simplifier.h) are expressions; one printer (formula_printer.h) prints both.
//
// The tree is a postfix list of nodes, every node after its operands and the root last, as programs
// are flat lists of instructions: walking it needs no recursion, however deep a chain of steps is.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "compile/program_analysis.h"

enum class Operation : std::uint8_t {
    Number,  // `number`
    Input,   // the data input x<input>
    Fault,   // NaN from the stack fault `fault` at instruction `instruction`
    Add,     // the two operands, the first on the left
    Sub,
    Mul,
    Div,
    Negate,  // -operand
    Power,   // operand ^ `exponent`
    Call,    // helper `helper`(operand): the operand rounded to float, a float result
};

// Instruction number of a fault at the end of the program, where the final read finds no value.
constexpr std::uint32_t kEndOfProgram = 0xFFFFFFFF;

struct Node {
    Operation operation;
    std::uint8_t helper = 0;              // Call: a HelperIndex
    StackFault fault = StackFault::None;  // Fault
    std::int32_t exponent = 0;            // Power
    std::uint32_t input = 0;              // Input
    std::uint32_t instruction = 0;        // Fault: counted from 0, or kEndOfProgram
    long double number = 0;               // Number
};

// Operands a node takes from the nodes before it: 0, 1 or 2.
int ArityOf(Operation operation);

struct Expression {
    std::vector<Node> nodes;  // postfix; never empty

    const Node& Root() const { return nodes.back(); }
    bool IsNumber() const { return nodes.size() == 1 && nodes[0].operation == Operation::Number; }
};

Expression NumberExpression(long double number);
Expression InputExpression(std::uint32_t input);
Expression FaultExpression(StackFault fault, std::uint32_t instruction);
// Takes the operands' nodes: `left` Add .. Div `right`.
Expression Combine(Operation operation, Expression left, Expression right);
// Negate, Call or Power of `operand`, with `helper` for Call, `exponent` for Power.
Expression Apply(Operation operation, Expression operand, std::int32_t detail = 0);

// Walks the nodes in order, keeping a stack of T: `visit`(node, operands) gets the node and a
// pointer to its ArityOf operands' results, first operand first, and returns the node's result.
template <class T, class Visit>
T Fold(const Expression& expression, Visit visit) {
    std::vector<T> stack;
    for (const Node& node : expression.nodes) {
        const std::size_t arity = static_cast<std::size_t>(ArityOf(node.operation));
        T value = visit(node, stack.data() + (stack.size() - arity));
        stack.resize(stack.size() - arity);
        stack.push_back(std::move(value));
    }
    return std::move(stack.back());
}

// The value on the data inputs x[0] .. x[K-1] in the precision T (long double for the exact formula,
// double for the simplified one): inputs widened from float, a fault the x87 indefinite NaN, helpers
// through a float as the program calls them, powers by std::pow.
template <class T>
T Evaluate(const Expression& expression, const float* x);
extern template long double Evaluate<long double>(const Expression&, const float*);
extern template double Evaluate<double>(const Expression&, const float*);

// Whether a node reads an input, and which helpers a Call uses.
bool ReadsInputs(const Expression& expression);
std::vector<bool> HelpersUsed(const Expression& expression);  // by HelperIndex
