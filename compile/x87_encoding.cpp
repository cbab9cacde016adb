#include "compile/x87_encoding.h"

#include <algorithm>

#include "compile/activation.h"
#include "compile/opcodes.h"

namespace {

using S = Shape;

}  // namespace

// "call" stands for the target's helper-call code around the call (native_glue_*.cpp).
// clang-format off
const OpcodeForm kOpcodeForms[kOpcodeCount] = {
    // shape           m32fp     pop form      helper             opcode bytes        mnemonic
    {S::Load,          0xD9, 0,  {},           nullptr},         //  0 D9 /0        fld m32fp
    {S::Arithmetic,    0xD8, 0,  {},           nullptr},         //  1 D8 /0        fadd m32fp
    {S::Arithmetic,    0xD8, 4,  {},           nullptr},         //  2 D8 /4        fsub m32fp
    {S::Arithmetic,    0xD8, 1,  {},           nullptr},         //  3 D8 /1        fmul m32fp
    {S::Arithmetic,    0xD8, 6,  {},           nullptr},         //  4 D8 /6        fdiv m32fp
    {S::LoadThenPop,   0xD9, 0,  {0xDE, 0xC1}, nullptr},         //  5 D9 /0, DE C1 fld m32fp; faddp st(1),st
    {S::LoadThenPop,   0xD9, 0,  {0xDE, 0xE9}, nullptr},         //  6 D9 /0, DE E9 fld m32fp; fsubp st(1),st
    {S::LoadThenPop,   0xD9, 0,  {0xDE, 0xC9}, nullptr},         //  7 D9 /0, DE C9 fld m32fp; fmulp st(1),st
    {S::LoadThenPop,   0xD9, 0,  {0xDE, 0xF9}, nullptr},         //  8 D9 /0, DE F9 fld m32fp; fdivp st(1),st
    {S::HelperOfInput, 0xD9, 0,  {},           exp_func},        //  9 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           exp_func},        // 10 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           log_func},        // 11 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           log_func},        // 12 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           sin_func},        // 13 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           sin_func},        // 14 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           cos_func},        // 15 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           cos_func},        // 16 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           tan_func},        // 17 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           tan_func},        // 18 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           sigmoidal_act_func},// 19 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           sigmoidal_act_func},// 20 call         call
    {S::HelperOfInput, 0xD9, 0,  {},           tanh_act_func},   // 21 D9 /0, call  fld m32fp; call
    {S::HelperOfTop,   0, 0,     {},           tanh_act_func},   // 22 call         call
    {S::Nop,           0, 0,     {},           nullptr},         // 23 90           nop
    {S::Pop,           0, 0,     {0xDE, 0xC1}, nullptr},         // 24 DE C1        faddp st(1),st
    {S::Pop,           0, 0,     {0xDE, 0xE9}, nullptr},         // 25 DE E9        fsubp st(1),st
    {S::Pop,           0, 0,     {0xDE, 0xC9}, nullptr},         // 26 DE C9        fmulp st(1),st
    {S::Pop,           0, 0,     {0xDE, 0xF9}, nullptr},         // 27 DE F9        fdivp st(1),st
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

