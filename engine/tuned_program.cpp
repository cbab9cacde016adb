#include "engine/tuned_program.h"

#include <algorithm>

#include "compile/opcodes.h"
#include "compile/x87_encoding.h"

namespace {

bool IsLeaf(const TunedNode& node) { return node.op >= TunedOp::Input; }
bool Commutes(TunedOp op) { return op == TunedOp::Add || op == TunedOp::Mul; }

// The children of the binary node at i: left, right.
std::size_t LeftOf(const TunedNode* nodes, std::size_t i) { return i - 1 - nodes[i - 1].length; }

// Stack slots the emitted subtree at i needs, from its children's.
std::uint16_t SlotsOf(const TunedNode* nodes, const std::uint16_t* slots, std::size_t i) {
    const int arity = ArityOf(nodes[i].op);
    if (arity == 0) return 1;
    if (arity == 1) return IsLeaf(nodes[i - 1]) ? 1 : slots[i - 1];
    const std::size_t right = i - 1, left = LeftOf(nodes, i);
    if (IsLeaf(nodes[right])) return slots[left];
    if (Commutes(nodes[i].op) && IsLeaf(nodes[left])) return slots[right];
    const int a = slots[left], b = slots[right];
    const int needed = Commutes(nodes[i].op) ? std::max(std::min(a, b) + 1, std::max(a, b)) : std::max(a, b + 1);
    return static_cast<std::uint16_t>(needed);
}

class Emitter {
  public:
    Emitter(const TunedNode* nodes, std::uint16_t inputCount, TunedCode& code)
        : nodes_(nodes), inputCount_(inputCount), code_(code) {}

    void Node(std::size_t i) {
        const TunedNode& node = nodes_[i];
        const int arity = ArityOf(node.op);
        if (arity == 0) return Instruction(OP_LOAD, Operand(i));
        if (arity == 1) {
            const int helper = static_cast<int>(node.op) - static_cast<int>(TunedOp::Exp);
            if (IsLeaf(nodes_[i - 1])) return Instruction(OP_EXP_INPUT + 2 * helper, Operand(i - 1));
            Node(i - 1);
            return Instruction(OP_EXP + 2 * helper, 0);
        }
        const std::size_t right = i - 1, left = LeftOf(nodes_, i);
        const int op = static_cast<int>(node.op);  // 0 .. 3: add, sub, mul, div
        if (IsLeaf(nodes_[right])) {
            Node(left);
            return Instruction(OP_ADD + op, Operand(right));
        }
        if (Commutes(node.op) && IsLeaf(nodes_[left])) {
            Node(right);
            return Instruction(OP_ADD + op, Operand(left));
        }
        const bool swap = Commutes(node.op) && code_.slots[right] > code_.slots[left];
        Node(swap ? right : left);
        Node(swap ? left : right);
        Instruction(OP_ADDS + op, 0);
    }

    void Instruction(int opcode, std::uint16_t operand) {
        code_.bytes.insert(code_.bytes.end(), {static_cast<std::uint8_t>(opcode),
                                               static_cast<std::uint8_t>(operand >> 8),
                                               static_cast<std::uint8_t>(operand & 0xFF)});
    }

  private:
    std::uint16_t Operand(std::size_t leaf) const {
        const TunedNode& node = nodes_[leaf];
        if (node.op == TunedOp::Input) return node.input;
        return static_cast<std::uint16_t>(inputCount_ + code_.constantOf[leaf]);
    }

    const TunedNode* nodes_;
    std::uint16_t inputCount_;
    TunedCode& code_;
};

}  // namespace

bool SetLengths(TunedNode* nodes, std::size_t count) {
    if (count > kMaxTunedNodes) return false;
    std::uint16_t lengths[kMaxTunedNodes];
    std::size_t depth = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int arity = ArityOf(nodes[i].op);
        if (depth < static_cast<std::size_t>(arity)) return false;
        std::uint16_t length = 1;
        for (int k = 0; k < arity; ++k) length = static_cast<std::uint16_t>(length + lengths[--depth]);
        nodes[i].length = length;
        lengths[depth++] = length;
    }
    return depth == 1;
}

bool EmitTunedCode(const TunedNode* nodes, std::size_t count, std::uint16_t inputCount, float scale,
                   float offset, TunedCode& code) {
    code.bytes.clear();
    code.constants.clear();
    code.constantOf.resize(count);
    code.slots.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        code.slots[i] = SlotsOf(nodes, code.slots.data(), i);
        code.constantOf[i] = static_cast<std::uint16_t>(code.constants.size());
        if (nodes[i].op == TunedOp::Constant) code.constants.push_back(nodes[i].value);
    }
    Emitter emitter(nodes, inputCount, code);
    emitter.Node(count - 1);
    code.bodyLength = code.bytes.size();
    const auto first = static_cast<std::uint16_t>(inputCount + code.constants.size());
    emitter.Instruction(OP_MUL, first);
    emitter.Instruction(OP_ADD, static_cast<std::uint16_t>(first + 1));
    code.constants.push_back(scale);
    code.constants.push_back(offset);
    return code.slots[count - 1] <= kX87Slots;
}

std::size_t InstructionCount(const TunedCode& code) { return code.bytes.size() / 3; }
