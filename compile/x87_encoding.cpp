#include "compile/x87_encoding.h"

#include <algorithm>

#include "compile/helpers.h"
#include "compile/opcodes.h"

namespace {

using S = Shape;

}  // namespace

// "call" stands for the target's helper-call code around the call (native_glue_*.cpp).
// clang-format off
const OpcodeForm kOpcodeForms[kOpcodeCount] = {
    // shape           m32fp     pop form      helper    opcode bytes        mnemonic
    {S::Load,          0xD9, 0,  {},           0},             //  0 D9 /0        fld m32fp
    {S::Arithmetic,    0xD8, 0,  {},           0},             //  1 D8 /0        fadd m32fp
    {S::Arithmetic,    0xD8, 4,  {},           0},             //  2 D8 /4        fsub m32fp
    {S::Arithmetic,    0xD8, 1,  {},           0},             //  3 D8 /1        fmul m32fp
    {S::Arithmetic,    0xD8, 6,  {},           0},             //  4 D8 /6        fdiv m32fp
    {S::LoadThenPop,   0xD9, 0,  {0xDE, 0xC1}, 0},             //  5 D9 /0, DE C1 fld m32fp; faddp st(1),st
    {S::LoadThenPop,   0xD9, 0,  {0xDE, 0xE9}, 0},             //  6 D9 /0, DE E9 fld m32fp; fsubp st(1),st
    {S::LoadThenPop,   0xD9, 0,  {0xDE, 0xC9}, 0},             //  7 D9 /0, DE C9 fld m32fp; fmulp st(1),st
    {S::LoadThenPop,   0xD9, 0,  {0xDE, 0xF9}, 0},             //  8 D9 /0, DE F9 fld m32fp; fdivp st(1),st
    {S::HelperOfInput, 0xD9, 0,  {},           kExp},          //  9 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           kExp},          // 10 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           kLog},          // 11 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           kLog},          // 12 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           kSin},          // 13 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           kSin},          // 14 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           kCos},          // 15 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           kCos},          // 16 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           kTan},          // 17 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           kTan},          // 18 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           kSigmoid},      // 19 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           kSigmoid},      // 20 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           kTanh},         // 21 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           kTanh},         // 22 call         call
    {S::Nop,           0, 0,     {},           0},             // 23 90           nop
    {S::Pop,           0, 0,     {0xDE, 0xC1}, 0},             // 24 DE C1        faddp st(1),st
    {S::Pop,           0, 0,     {0xDE, 0xE9}, 0},             // 25 DE E9        fsubp st(1),st
    {S::Pop,           0, 0,     {0xDE, 0xC9}, 0},             // 26 DE C9        fmulp st(1),st
    {S::Pop,           0, 0,     {0xDE, 0xF9}, 0},             // 27 DE F9        fdivp st(1),st
};
// clang-format on

void EmitMemoryForm(ByteWriter& out, std::uint8_t escape, std::uint8_t digit, RotationRegister reg,
                    std::uint16_t displacement) {
    const std::uint8_t modrm = static_cast<std::uint8_t>(digit << 3 | reg);
    out.Byte(escape);
    if (displacement == 0) {
        out.Byte(modrm);  // mod 00: [reg]
    } else {
        out.Byte(0x80 | modrm);  // mod 10: [reg+disp32], never the disp8 form
        out.Dword(displacement);
    }
}

