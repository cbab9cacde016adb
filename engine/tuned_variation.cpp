#include "engine/tuned_variation.h"

#include <algorithm>

namespace {

std::size_t StartOf(const TunedTree& tree, std::size_t i) { return i + 1 - tree[i].length; }

TunedNode Leaf(TunedRandom& random, const TunedGrammar& grammar, bool constantAllowed) {
    const bool constant =
        grammar.inputCount == 0 || (constantAllowed && random.Chance(grammar.constantChance));
    if (constant) return {TunedOp::Constant, 1, 0, static_cast<float>(random.Real() * 4 - 2)};
    return {TunedOp::Input, 1, static_cast<std::uint16_t>(random.Below(grammar.inputCount)), 0};
}

// Appends a tree of `size` nodes in postfix; `constants` counts the tree's constants so far.
void Grow(TunedRandom& random, const TunedGrammar& grammar, std::size_t size, TunedTree& out,
          std::size_t& constants) {
    const bool unary = !grammar.unary.empty() && size >= 2 &&
                       (size == 2 || grammar.binary.empty() || random.Chance(grammar.unaryChance));
    if (size >= 3 && !unary && !grammar.binary.empty()) {
        const std::size_t left = 1 + random.Below(static_cast<std::uint32_t>(size - 2));
        Grow(random, grammar, left, out, constants);
        Grow(random, grammar, size - 1 - left, out, constants);
        out.push_back({grammar.binary[random.Below(static_cast<std::uint32_t>(grammar.binary.size()))]});
    } else if (unary) {
        Grow(random, grammar, size - 1, out, constants);
        out.push_back({grammar.unary[random.Below(static_cast<std::uint32_t>(grammar.unary.size()))]});
    } else {
        out.push_back(Leaf(random, grammar, constants < grammar.maxConstants));
        constants += out.back().op == TunedOp::Constant;
    }
}

// A node index, functions with probability 0.9 where the tree has any.
std::size_t PickNode(TunedRandom& random, const TunedTree& tree) {
    const auto n = static_cast<std::uint32_t>(tree.size());
    const bool function = tree.size() > 1 && random.Chance(0.9);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::size_t i = random.Below(n);
        if (!function || ArityOf(tree[i].op) > 0) return i;
    }
    return tree.size() - 1;
}

// out := tree with its subtree ending at i replaced by `nodes` (a whole tree).
void Replace(const TunedTree& tree, std::size_t i, const TunedNode* nodes, std::size_t count, TunedTree& out) {
    const std::size_t start = StartOf(tree, i);
    out.assign(tree.begin(), tree.begin() + static_cast<std::ptrdiff_t>(start));
    out.insert(out.end(), nodes, nodes + count);
    out.insert(out.end(), tree.begin() + static_cast<std::ptrdiff_t>(i + 1), tree.end());
    SetLengths(out.data(), out.size());
}

bool Fits(const TunedGrammar& grammar, const TunedTree& tree) {
    return tree.size() <= grammar.maxNodes && ConstantCount(tree.data(), tree.size()) <= grammar.maxConstants;
}

void ChangePoint(TunedRandom& random, const TunedGrammar& grammar, TunedNode& node, std::size_t constants) {
    const std::vector<TunedOp>* same = ArityOf(node.op) == 2 ? &grammar.binary : &grammar.unary;
    if (ArityOf(node.op) == 0) {
        const bool allowed = node.op == TunedOp::Constant || constants < grammar.maxConstants;
        node = Leaf(random, grammar, allowed);
    } else {
        node.op = (*same)[random.Below(static_cast<std::uint32_t>(same->size()))];
    }
}

}  // namespace

std::size_t ConstantCount(const TunedNode* nodes, std::size_t count) {
    std::size_t constants = 0;
    for (std::size_t i = 0; i < count; ++i) constants += nodes[i].op == TunedOp::Constant;
    return constants;
}

TunedGrammar MakeGrammar(std::int32_t functionFlags, std::uint16_t inputCount, std::size_t maxNodes,
                         std::size_t maxConstants) {
    TunedGrammar grammar;
    for (int bit = 0; bit < kTunedFunctions; ++bit) {
        if ((functionFlags & (1 << bit)) == 0) continue;
        const auto op = static_cast<TunedOp>(bit);
        (ArityOf(op) == 2 ? grammar.binary : grammar.unary).push_back(op);
    }
    grammar.inputCount = inputCount;
    grammar.maxNodes = std::min(maxNodes, kMaxTunedNodes);
    grammar.maxConstants = maxConstants;
    return grammar;
}

void AppendRandomTree(TunedRandom& random, const TunedGrammar& grammar, std::size_t size, TunedTree& out) {
    const std::size_t first = out.size();
    std::size_t constants = 0;
    Grow(random, grammar, size, out, constants);
    SetLengths(out.data() + first, out.size() - first);
}

void Crossover(TunedRandom& random, const TunedGrammar& grammar, const TunedTree& a, const TunedTree& b,
               TunedTree& child) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::size_t i = PickNode(random, a), j = PickNode(random, b);
        const std::size_t size = a.size() - a[i].length + b[j].length;
        if (size > grammar.maxNodes) continue;
        Replace(a, i, b.data() + StartOf(b, j), b[j].length, child);
        if (Fits(grammar, child)) return;
    }
    child = a;
}

void Mutate(TunedRandom& random, const TunedGrammar& grammar, TunedTree& tree, MutationScratch& storage) {
    TunedTree& scratch = storage.changed;
    if (grammar.unary.empty() && grammar.binary.empty()) return ChangePoint(random, grammar, tree[0], 0);
    const std::size_t i = random.Below(static_cast<std::uint32_t>(tree.size()));
    const std::size_t constants = ConstantCount(tree.data(), tree.size());
    switch (random.Below(5)) {
        case 0:  // another function of the same arity, or another leaf
            ChangePoint(random, grammar, tree[i], constants);
            return;
        case 1: {  // a constant moved
            for (TunedNode& node : tree)
                if (node.op == TunedOp::Constant && random.Chance(0.5))
                    node.value = static_cast<float>(node.value * (1 + 0.1 * random.Normal()) + 0.1 * random.Normal());
            return;
        }
        case 2: {  // a new subtree
            TunedTree& fresh = storage.fresh;
            fresh.clear();
            const std::size_t room = grammar.maxNodes - (tree.size() - tree[i].length);
            AppendRandomTree(random, grammar, 1 + random.Below(static_cast<std::uint32_t>(std::min<std::size_t>(room, 7))),
                             fresh);
            Replace(tree, i, fresh.data(), fresh.size(), scratch);
            break;
        }
        case 3: {  // the subtree under a new function
            if (tree.size() + 2 > grammar.maxNodes) return;
            const std::size_t start = StartOf(tree, i);
            const bool unary = !grammar.unary.empty() && (grammar.binary.empty() || random.Chance(0.3));
            scratch.assign(tree.begin(), tree.begin() + static_cast<std::ptrdiff_t>(start));
            const bool leafFirst = !unary && random.Chance(0.5);
            if (leafFirst) scratch.push_back(Leaf(random, grammar, constants < grammar.maxConstants));
            scratch.insert(scratch.end(), tree.begin() + static_cast<std::ptrdiff_t>(start),
                           tree.begin() + static_cast<std::ptrdiff_t>(i + 1));
            if (!unary && !leafFirst) scratch.push_back(Leaf(random, grammar, constants < grammar.maxConstants));
            const std::vector<TunedOp>& ops = unary ? grammar.unary : grammar.binary;
            scratch.push_back({ops[random.Below(static_cast<std::uint32_t>(ops.size()))]});
            scratch.insert(scratch.end(), tree.begin() + static_cast<std::ptrdiff_t>(i + 1), tree.end());
            SetLengths(scratch.data(), scratch.size());
            break;
        }
        default: {  // a function replaced by one of its operands
            if (ArityOf(tree[i].op) == 0) return;
            const std::size_t operand = ArityOf(tree[i].op) == 1 || random.Chance(0.5) ? i - 1 : i - 1 - tree[i - 1].length;
            Replace(tree, i, tree.data() + StartOf(tree, operand), tree[operand].length, scratch);
            break;
        }
    }
    if (Fits(grammar, scratch)) std::swap(tree, scratch);
}
