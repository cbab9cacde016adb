#include "compile/function_set.h"

#include "compile/helper_source.h"

namespace {

struct FunctionBit {
    std::int32_t bit;
    std::uint8_t opcodes[2];
    // Addresses rather than values keep this table constant-initialised, usable at any time.
    const char* const* helperText;      // appended to helperSource, or null
    const char* const* activationText;  // appended to activationSource, or null
};

// In increasing bit order, which is the order of the pool and of the texts.
const FunctionBit kFunctionBits[] = {
    {0x001, {OP_ADD, OP_ADDP}, nullptr, nullptr},
    {0x002, {OP_SUB, OP_SUBP}, nullptr, nullptr},
    {0x004, {OP_MUL, OP_MULP}, nullptr, nullptr},
    {0x008, {OP_DIV, OP_DIVP}, nullptr, nullptr},
    {0x010, {OP_EXP_INPUT, OP_EXP}, &kExpSource, nullptr},
    {0x020, {OP_LOG_INPUT, OP_LOG}, &kLogSource, nullptr},
    {0x040, {OP_SIN_INPUT, OP_SIN}, &kSinSource, nullptr},
    {0x080, {OP_COS_INPUT, OP_COS}, &kCosSource, nullptr},
    {0x100, {OP_TAN_INPUT, OP_TAN}, &kTanSource, nullptr},
    {0x200, {OP_SIGMOID_INPUT, OP_SIGMOID}, &kSigmoidSource, &kSigmoidInitCall},
    {0x400, {OP_TANH_INPUT, OP_TANH}, &kTanhSource, &kTanhInitCall},
};

}  // namespace

void BuildOpcodePool(std::int32_t functionFlags, std::vector<std::uint8_t>& opcodePool,
                     std::string& helperSource, std::string& activationSource) {
    opcodePool.assign({OP_LOAD, OP_NOP});
    helperSource.clear();
    activationSource.clear();
    for (const FunctionBit& function : kFunctionBits) {
        if ((functionFlags & function.bit) == 0) {
            continue;
        }
        opcodePool.push_back(function.opcodes[0]);
        opcodePool.push_back(function.opcodes[1]);
        if (function.helperText != nullptr) {
            helperSource += *function.helperText;
        }
        if (function.activationText != nullptr) {
            activationSource += *function.activationText;
        }
    }
}
