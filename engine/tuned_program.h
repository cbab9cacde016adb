#pragma once
// Programs of the tuned search: an expression tree in postfix order whose leaves are inputs or
// constants of the program's own, and its translation into the 3-byte instructions that the code
// generator compiles and a program file holds. The program then ends with two more instructions,
// a multiplication by the scale and an addition of the offset (linear scaling), whose constants
// follow the tree's.
#include <cstddef>
#include <cstdint>
#include <vector>

// Functions in the order of the settings' function bits (Addition 0x001 .. Tanh 0x400), then leaves.
enum class TunedOp : std::uint8_t {
    Add, Sub, Mul, Div, Exp, Log, Sin, Cos, Tan, Sigmoid, Tanh, Input, Constant,
};
constexpr int kTunedFunctions = 11;

inline int ArityOf(TunedOp op) {
    return op <= TunedOp::Div ? 2 : op < TunedOp::Input ? 1 : 0;
}

// The most nodes a tree may have: bounds the scratch of the code that walks trees.
constexpr std::size_t kMaxTunedNodes = 1024;

struct TunedNode {
    TunedOp op;
    std::uint16_t length = 1;  // nodes of the subtree that ends here, this one included
    std::uint16_t input = 0;   // Input
    float value = 0;           // Constant
};

// Postfix: the children of a node precede it, the last node is the root.
using TunedTree = std::vector<TunedNode>;

// Sets every node's length from the arities; false when the nodes are not one whole tree.
bool SetLengths(TunedNode* nodes, std::size_t count);

// The program's bytes and the values its constant operands read: operand k < inputCount reads
// input k, operand inputCount + j reads constants[j]. Constants are numbered in tree order, the
// scale and offset last.
struct TunedCode {
    std::vector<std::uint8_t> bytes;
    std::vector<float> constants;
    std::size_t bodyLength = 0;  // bytes before the scaling
    // Scratch of the translation, per node: its constant's number, the stack slots its subtree needs.
    std::vector<std::uint16_t> constantOf, slots;
};

// Writes the tree's instructions into `code` (reusing its storage), a binary operation whose
// operand is a leaf as one memory form, a function of a leaf as one helper of its input, the
// deeper operand of a sum or product first; then the scaling. False when the program would need
// more than the eight slots of the x87 stack.
bool EmitTunedCode(const TunedNode* nodes, std::size_t count, std::uint16_t inputCount, float scale,
                   float offset, TunedCode& code);

// Instructions of the emitted program, scaling included (what maximum functions bounds).
std::size_t InstructionCount(const TunedCode& code);
