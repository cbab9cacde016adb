#pragma once
// Machine code of the program body: the x87 forms that both targets encode alike, the writer that
// stores them, and the model of the x87 stack depth that the targets' helper calls need.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "compile/opcodes.h"

// Stores bytes at a moving position. The caller reserves room for the worst case of a whole
// program once, so no store checks the end. Code is written through one view of the memory and
// runs from another (ExecutableMemory); `toExecutable` is the distance between them, so that
// position-dependent code can be encoded for the address it will run at.
struct ByteWriter {
    std::uint8_t* at;
    std::uintptr_t toExecutable = 0;

    // The address that the byte at `at` + `offset` has when the code runs.
    std::uintptr_t ExecutableAddress(std::size_t offset = 0) const {
        return reinterpret_cast<std::uintptr_t>(at + offset) + toExecutable;
    }

    void Byte(std::uint8_t value) { *at++ = value; }
    template <std::size_t N>
    void Bytes(const std::uint8_t (&bytes)[N]) {
        std::memcpy(at, bytes, N);
        at += N;
    }
    void Dword(std::uint32_t value) {  // little-endian
        for (int shift = 0; shift < 32; shift += 8) {
            *at++ = static_cast<std::uint8_t>(value >> shift);
        }
    }
    void Qword(std::uint64_t value) {  // little-endian
        for (int shift = 0; shift < 64; shift += 8) {
            *at++ = static_cast<std::uint8_t>(value >> shift);
        }
    }
};

using HelperFunction = float (*)(float);

// What an opcode becomes; the depth model and the targets' glue follow from it.
enum class Shape : std::uint8_t {
    Load,           // fld m32fp: push a column of the row
    Arithmetic,     // op m32fp: the top against a column of the row
    LoadThenPop,    // fld m32fp, then a pop form against st(1)
    HelperOfInput,  // fld m32fp, then a helper call on it
    HelperOfTop,    // a helper call on the top
    Nop,            // 90
    Pop,            // a pop form: st(1) op st(0) into st(1), then a pop
};

struct OpcodeForm {
    Shape shape;
    std::uint8_t escape;    // first byte of the m32fp form
    std::uint8_t digit;     // its /digit, the ModRM reg field
    std::uint8_t pop[2];    // LoadThenPop, Pop: the pop form
    std::uint8_t helper;    // HelperOfInput, HelperOfTop: its row of kHelpers
};

// By opcode byte below kOpcodeCount; any other byte is a nop, like OP_NOP (23).
extern const OpcodeForm kOpcodeForms[kOpcodeCount];
inline const OpcodeForm& FormOf(std::uint8_t opcode) {
    return kOpcodeForms[opcode < kOpcodeCount ? opcode : std::uint8_t{OP_NOP}];
}

// Rotation register of instruction n: rm code 0 (eax/rax), 1 (ecx/rcx) or 2 (edx/rdx) for n mod 3.
using RotationRegister = std::uint8_t;

// escape, ModRM (mod 00 or 10, reg = digit, rm = register), disp32 when the displacement is not 0.
void EmitMemoryForm(ByteWriter& out, std::uint8_t escape, std::uint8_t digit, RotationRegister reg,
                    std::uint16_t displacement);

// Byte offset of an operand's column: 4 * operand in 16-bit arithmetic.
inline std::uint16_t DisplacementOf(std::uint16_t operand) {
    return static_cast<std::uint16_t>(operand * 4u);
}

// The x87 stack's occupied slots, followed at compile time. Every opcode changes the depth the same
// way on every run: a push on a full stack overwrites the top with NaN and keeps 8 slots; an
// arithmetic form on an empty stack leaves a NaN in st(0); a pop form whose st(1) is empty writes NaN
// there before it pops (so a Pop at depth 0 or 1 leaves one NaN).
constexpr int kX87Slots = 8;

// Slots occupied below a helper's argument once the argument is off the stack.
inline int DepthDuringHelper(const OpcodeForm& form, int depth) {
    if (form.shape == Shape::HelperOfInput) return (depth + 1 < kX87Slots ? depth + 1 : kX87Slots) - 1;
    return depth > 0 ? depth - 1 : 0;
}

inline int DepthAfter(const OpcodeForm& form, int depth) {
    switch (form.shape) {
        case Shape::Load:
            return depth + 1 < kX87Slots ? depth + 1 : kX87Slots;
        case Shape::Arithmetic:
            return depth > 1 ? depth : 1;
        case Shape::LoadThenPop:
            if (depth == 0) return 1;  // the pop form finds st(1) empty and leaves NaN behind
            return depth == kX87Slots ? kX87Slots - 1 : depth;
        case Shape::HelperOfInput:
        case Shape::HelperOfTop:
            return DepthDuringHelper(form, depth) + 1;
        case Shape::Pop:
            return depth > 1 ? depth - 1 : 1;
        case Shape::Nop:
            break;
    }
    return depth;
}
