// x86-64 entry, exit and helper calls: a System V function float(const float*) around the same x87
// body as on IA-32. The row pointer arrives in rdi and is kept in rbx for reloading rax, rcx and
// rdx after helper calls; the result leaves in xmm0 and the x87 stack leaves empty, with the
// caller's x87 control word restored.
//
// Frame, 16-byte aligned at helper calls (rsp + 8 at entry, + 8 by push rbx, + 50h):
//   [rsp+00h..45h]  up to seven x87 values of 10 bytes, spilled around helper calls
//   [rsp+48h]       float argument and result slot
//   [rsp+4Ch]       the caller's x87 control word
//   [rsp+4Eh]       the program's x87 control word
#include <cstdint>

#include "compile/code_generator.h"
#include "compile/native_glue.h"

namespace {

constexpr std::uint8_t kFloatSlot = 0x48;
constexpr std::uint8_t kSpillSlotSize = 10;

// clang-format off
// The x87 reset sets what the body relies on (64-bit precision, round to nearest, exceptions
// masked, no slot occupied) without fninit, whose clearing of the status word costs far more than
// a whole typical program on current processors; the stale status flags change no result.
const std::uint8_t kPrologue[] = {
    0x53,                                // push rbx
    0x48, 0x83, 0xEC, 0x50,              // sub rsp,50h
    0x48, 0x89, 0xFB,                    // mov rbx,rdi
    0x48, 0x89, 0xF8,                    // mov rax,rdi
    0x48, 0x89, 0xF9,                    // mov rcx,rdi
    0x48, 0x89, 0xFA,                    // mov rdx,rdi
    0xD9, 0x7C, 0x24, 0x4C,              // fnstcw word ptr [rsp+4Ch]
    0x66, 0xC7, 0x44, 0x24, 0x4E, 0x7F, 0x03,  // mov word ptr [rsp+4Eh],37Fh
    0xD9, 0x6C, 0x24, 0x4E,              // fldcw word ptr [rsp+4Eh]
    0xDD, 0xC0,                          // ffree st(0)
    0xDD, 0xC1,                          // ffree st(1)
    0xDD, 0xC2,                          // ffree st(2)
    0xDD, 0xC3,                          // ffree st(3)
    0xDD, 0xC4,                          // ffree st(4)
    0xDD, 0xC5,                          // ffree st(5)
    0xDD, 0xC6,                          // ffree st(6)
    0xDD, 0xC7,                          // ffree st(7)
};

const std::uint8_t kStoreFloat[] = {
    0xD9, 0x5C, 0x24, kFloatSlot,        // fstp dword ptr [rsp+48h]
};

const std::uint8_t kSpill[] = {
    0xDB, 0x7C, 0x24,                    // fstp tbyte ptr [rsp+ib], ib follows
};

const std::uint8_t kPassArgument[] = {
    0xF3, 0x0F, 0x10, 0x44, 0x24, kFloatSlot,  // movss xmm0,dword ptr [rsp+48h]
};

const std::uint8_t kMovRaxImm64[] = {
    0x48, 0xB8,                          // mov rax,imm64, imm64 follows
};

const std::uint8_t kCallRax[] = {
    0xFF, 0xD0,                          // call rax
};

const std::uint8_t kTakeResult[] = {
    0xF3, 0x0F, 0x11, 0x44, 0x24, kFloatSlot,  // movss dword ptr [rsp+48h],xmm0
};

const std::uint8_t kReload[] = {
    0xDB, 0x6C, 0x24,                    // fld tbyte ptr [rsp+ib], ib follows
};

const std::uint8_t kPushFloat[] = {
    0xD9, 0x44, 0x24, kFloatSlot,        // fld dword ptr [rsp+48h]
};

const std::uint8_t kReloadRotation[] = {
    0x48, 0x89, 0xD8,                    // mov rax,rbx
    0x48, 0x89, 0xD9,                    // mov rcx,rbx
    0x48, 0x89, 0xDA,                    // mov rdx,rbx
};

const std::uint8_t kDropTop[] = {
    0xDD, 0xD8,                          // fstp st(0)
};

const std::uint8_t kReturn[] = {
    0xF3, 0x0F, 0x10, 0x44, 0x24, kFloatSlot,  // movss xmm0,dword ptr [rsp+48h]
    0xD9, 0x6C, 0x24, 0x4C,              // fldcw word ptr [rsp+4Ch]
    0x48, 0x83, 0xC4, 0x50,              // add rsp,50h
    0x5B,                                // pop rbx
    0xC3,                                // ret
};
// clang-format on

constexpr int kMaxSpills = kX87Slots - 1;  // the argument has left the stack
constexpr std::size_t kLongestLoad = 6;    // D9 80 disp32

}  // namespace

const std::size_t kPrologueSize = sizeof(kPrologue);
const std::size_t kMaxInstructionSize =
    kLongestLoad + sizeof(kStoreFloat) + kMaxSpills * (sizeof(kSpill) + 1) + sizeof(kPassArgument) +
    sizeof(kMovRaxImm64) + 8 + sizeof(kCallRax) + sizeof(kTakeResult) + kMaxSpills * (sizeof(kReload) + 1) +
    sizeof(kPushFloat) + sizeof(kReloadRotation);
const std::size_t kMaxEpilogueSize = sizeof(kStoreFloat) + kMaxSpills * sizeof(kDropTop) + sizeof(kReturn);

void EmitPrologue(ByteWriter& out) { out.Bytes(kPrologue); }

void EmitHelperCallStart(ByteWriter& /*out*/) {}

// The x87 registers are scratch across calls here and a helper may use all eight, so the values
// below the argument wait in the frame, exact in 80 bits, and return in their order afterwards.
void EmitHelperCall(ByteWriter& out, HelperFunction helper, int depthBelow) {
    out.Bytes(kStoreFloat);
    for (int slot = 0; slot < depthBelow; ++slot) {
        out.Bytes(kSpill);
        out.Byte(static_cast<std::uint8_t>(slot * kSpillSlotSize));
    }
    out.Bytes(kPassArgument);
    out.Bytes(kMovRaxImm64);
    out.Qword(reinterpret_cast<std::uintptr_t>(helper));
    out.Bytes(kCallRax);
    out.Bytes(kTakeResult);
    for (int slot = depthBelow - 1; slot >= 0; --slot) {
        out.Bytes(kReload);
        out.Byte(static_cast<std::uint8_t>(slot * kSpillSlotSize));
    }
    out.Bytes(kPushFloat);
    out.Bytes(kReloadRotation);
}

void EmitEpilogue(ByteWriter& out, int depth) {
    out.Bytes(kStoreFloat);
    for (int slot = 1; slot < depth; ++slot) {
        out.Bytes(kDropTop);
    }
    out.Bytes(kReturn);
}

float CallCompiled(CompiledFunction function, const float* row) { return function(row); }
