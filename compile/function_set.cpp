#include "compile/function_set.h"

#include "compile/helpers.h"

namespace {

// The arithmetic bits, in increasing bit order; the helpers' bits follow them.
struct ArithmeticBit {
    std::int32_t bit;
    std::uint8_t opcodes[2];
};

const ArithmeticBit kArithmeticBits[] = {
    {0x001, {OP_ADD, OP_ADDP}},
    {0x002, {OP_SUB, OP_SUBP}},
    {0x004, {OP_MUL, OP_MULP}},
    {0x008, {OP_DIV, OP_DIVP}},
};

}  // namespace

void BuildOpcodePool(std::int32_t functionFlags, std::vector<std::uint8_t>& opcodePool,
                     std::string& helperSource, std::string& activationSource) {
    opcodePool.assign({OP_LOAD, OP_NOP});
    helperSource.clear();
    activationSource.clear();
    for (const ArithmeticBit& arithmetic : kArithmeticBits) {
        if ((functionFlags & arithmetic.bit) == 0) continue;
        opcodePool.insert(opcodePool.end(), std::begin(arithmetic.opcodes), std::end(arithmetic.opcodes));
    }
    for (std::uint8_t h = 0; h < kHelperCount; ++h) {
        const Helper& helper = kHelpers[h];
        if ((functionFlags & helper.functionFlag) == 0) continue;
        opcodePool.push_back(static_cast<std::uint8_t>(OP_EXP_INPUT + 2 * h));
        opcodePool.push_back(static_cast<std::uint8_t>(OP_EXP + 2 * h));
        helperSource += helper.source;
        if (helper.initCall != nullptr) activationSource += helper.initCall;
    }
}
