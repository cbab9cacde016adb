#pragma once
// The helpers that programs call, one row each in opcode order: OP_EXP_INPUT and OP_EXP call the
// first, OP_TANH_INPUT and OP_TANH the last. Everything that names, emits, computes or prints a
// helper reads it here. Constant-initialised, so usable at any time from any thread.
#include <cstddef>
#include <cstdint>

#include "compile/opcodes.h"

enum HelperIndex : std::uint8_t { kExp, kLog, kSin, kCos, kTan, kSigmoid, kTanh, kHelperCount };

struct Helper {
    const char* name;           // in formulas and C exports
    const char* emittedName;    // the function an emitted program calls
    std::int32_t functionFlag;  // the settings' function bit that enables it
    const char* source;         // its definition (and its table's) in an emitted program
    const char* initCall;       // the line of the emitted main that fills its table, or null
    float (*call)(float);       // what compiled code calls, in the target's convention
    float (*compute)(float);    // its value
    void (*block)(const float* in, float* out, std::size_t n);  // the same bits for a block
    double (*library)(double);  // the math library function it rounds to float; null for tables
};

extern const Helper kHelpers[kHelperCount];
// exp .. tan, the rows that round a math library function's result: kHelpers[0 .. kLibraryHelpers - 1].
constexpr int kLibraryHelpers = kTan + 1;

inline HelperIndex IndexOfHelper(const Helper& helper) { return static_cast<HelperIndex>(&helper - kHelpers); }

// The helper of a call opcode (OP_EXP_INPUT .. OP_TANH).
inline HelperIndex HelperOf(std::uint8_t opcode) {
    return static_cast<HelperIndex>((opcode - OP_EXP_INPUT) / 2);
}
