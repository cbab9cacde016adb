// IA-32 entry, exit and helper calls: a cdecl function float(const float*) with a 196-byte local
// area filled with 0xCC, the row pointer in eax, ecx and edx, and helpers called with their float
// argument on the machine stack.
#include <cstdint>

#include "compile/code_generator.h"
#include "compile/native_glue.h"

namespace {

// clang-format off
const std::uint8_t kPrologue[] = {
    0x55,                                // push ebp
    0x8B, 0xEC,                          // mov ebp,esp
    0x81, 0xEC, 0xC4, 0x00, 0x00, 0x00,  // sub esp,0C4h
    0x53,                                // push ebx
    0x56,                                // push esi
    0x57,                                // push edi
    0x8D, 0xBD, 0x3C, 0xFF, 0xFF, 0xFF,  // lea edi,[ebp-0C4h]
    0xB9, 0x31, 0x00, 0x00, 0x00,        // mov ecx,31h
    0xB8, 0xCC, 0xCC, 0xCC, 0xCC,        // mov eax,0CCCCCCCCh
    0xF3, 0xAB,                          // rep stos dword ptr es:[edi]
    0x8B, 0x45, 0x08,                    // mov eax,dword ptr [ebp+8]
    0x8B, 0x4D, 0x08,                    // mov ecx,dword ptr [ebp+8]
    0x8B, 0x55, 0x08,                    // mov edx,dword ptr [ebp+8]
    0xDB, 0xE3,                          // fninit
};

const std::uint8_t kEpilogue[] = {
    0xD9, 0x9D, 0x3C, 0xFF, 0xFF, 0xFF,  // fstp dword ptr [ebp-0C4h]
    0xD9, 0x85, 0x3C, 0xFF, 0xFF, 0xFF,  // fld dword ptr [ebp-0C4h]
    0x5F,                                // pop edi
    0x5E,                                // pop esi
    0x5B,                                // pop ebx
    0x8B, 0xE5,                          // mov esp,ebp
    0x5D,                                // pop ebp
    0xC3,                                // ret
};

const std::uint8_t kReserveArgument[] = {
    0x51,                                // push ecx
};

const std::uint8_t kStoreArgument[] = {
    0xD9, 0x1C, 0x24,                    // fstp dword ptr [esp]
};

const std::uint8_t kCallRel32 = 0xE8;    // call rel32

const std::uint8_t kCallTail[] = {
    0x83, 0xC4, 0x04,                    // add esp,4
    0x8B, 0x45, 0x08,                    // mov eax,dword ptr [ebp+8]
    0x8B, 0x4D, 0x08,                    // mov ecx,dword ptr [ebp+8]
    0x8B, 0x55, 0x08,                    // mov edx,dword ptr [ebp+8]
};
// clang-format on

constexpr std::size_t kLongestLoad = 6;  // D9 80 disp32

}  // namespace

const std::size_t kPrologueSize = sizeof(kPrologue);
const std::size_t kMaxInstructionSize =
    sizeof(kReserveArgument) + kLongestLoad + sizeof(kStoreArgument) + 1 + 4 + sizeof(kCallTail);
const std::size_t kMaxEpilogueSize = sizeof(kEpilogue);

void EmitPrologue(ByteWriter& out) { out.Bytes(kPrologue); }

void EmitHelperCallStart(ByteWriter& out) { out.Bytes(kReserveArgument); }

// Helpers run with the program's values still on the x87 stack; their entries set those aside
// (helper_entry_ia32.cpp).
void EmitHelperCall(ByteWriter& out, HelperFunction helper, int /*depthBelow*/) {
    out.Bytes(kStoreArgument);
    out.Byte(kCallRel32);
    const std::uintptr_t next = out.ExecutableAddress(4);
    out.Dword(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(helper) - next));
    out.Bytes(kCallTail);
}

void EmitEpilogue(ByteWriter& out, int /*depth*/) { out.Bytes(kEpilogue); }

float CallCompiled(CompiledFunction function, const float* row) {
    float result;
    std::uint16_t control;
    // Aligns the stack so that the helper calls inside the program find it 16-byte aligned, as
    // compiled helpers expect. Afterwards frees all eight x87 slots, which the program leaves
    // occupied, and restores the control word its reset changed, so that compiled C++ code finds
    // the x87 unit as the calling convention promises.
    __asm__ volatile(
        "fnstcw %[control]\n\t"
        "movl %%esp, %%esi\n\t"
        "andl $-16, %%esp\n\t"
        "pushl %[row]\n\t"
        "call *%[function]\n\t"
        "movl %%esi, %%esp\n\t"
        "fstps %[result]\n\t"
        "ffree %%st(0)\n\t"
        "ffree %%st(1)\n\t"
        "ffree %%st(2)\n\t"
        "ffree %%st(3)\n\t"
        "ffree %%st(4)\n\t"
        "ffree %%st(5)\n\t"
        "ffree %%st(6)\n\t"
        "ffree %%st(7)\n\t"
        "fldcw %[control]\n\t"
        : [result] "=m"(result), [control] "=m"(control)
        : [row] "r"(row), [function] "r"(function)
        : "eax", "ecx", "edx", "esi", "memory", "cc", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)",
          "st(6)", "st(7)");
    return result;
}
