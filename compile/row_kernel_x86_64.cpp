// x86-64: each piece of the live part becomes a loop over the rows, four at a time, x87 arithmetic
// on memory operands, the value stored as a float per row. The x87 stack holds one value at most, so the
// pop forms of the stack machine become the memory forms: both round the same result once.
//
// A piece is a System V function
//   void piece(const float* rows, size_t strideBytes, const float* in, float* out, size_t count)
// (rdi, rsi, rdx, rcx, r8; count > 0). It reads its start from the row (column), from in (the
// values of the helper before it) or makes the x87 NaN, and sets the control word the compiled
// programs run with (64-bit precision, round to nearest, exceptions masked) for its duration.
#include <algorithm>
#include <cstring>

#include "compile/helpers.h"
#include "compile/row_kernel.h"
#include "compile/x87_encoding.h"

namespace {

// clang-format off
const std::uint8_t kEnter[] = {
    0xD9, 0x7C, 0x24, 0xF8,                    // fnstcw word ptr [rsp-8]
    0x66, 0xC7, 0x44, 0x24, 0xFA, 0x7F, 0x03,  // mov word ptr [rsp-6],37Fh
    0xD9, 0x6C, 0x24, 0xFA,                    // fldcw word ptr [rsp-6]
    0x4C, 0x8D, 0x0C, 0x76,                    // lea r9,[rsi+rsi*2]
    0x4C, 0x8D, 0x14, 0xB5, 0, 0, 0, 0,        // lea r10,[rsi*4]
};
const std::uint8_t kMakeNan[] = {
    0xD9, 0xEE,                                // fldz
    0xD8, 0xF0,                                // fdiv st(0),st(0): the indefinite NaN
};
const std::uint8_t kNextFourRows[] = {
    0x4C, 0x01, 0xD7,                          // add rdi,r10
    0x48, 0x83, 0xC2, 0x10,                    // add rdx,16
    0x48, 0x83, 0xC1, 0x10,                    // add rcx,16
    0x49, 0x83, 0xE8, 0x04,                    // sub r8,4
    0x0F, 0x85,                                // jnz rel32, rel32 follows
};
const std::uint8_t kLeave[] = {
    0xD9, 0x6C, 0x24, 0xF8,                    // fldcw word ptr [rsp-8]
    0xC3,                                      // ret
};

// Row k of four: [rdi+disp32], [rdi+rsi+disp32], [rdi+rsi*2+disp32], [rdi+r9+disp32]. The first
// byte is a REX prefix or none, then the x87 escape, ModRM, SIB.
struct RowAddress {
    std::uint8_t rex, modrmLow, sib;
};
const RowAddress kRowAddress[4] = {
    {0,    0x87, 0},                           // mod 10, rm rdi
    {0,    0x84, 0x37},                        // mod 10, SIB: rsi*1 + rdi
    {0,    0x84, 0x77},                        // mod 10, SIB: rsi*2 + rdi
    {0x42, 0x84, 0x0F},                        // REX.X, mod 10, SIB: r9*1 + rdi
};
// clang-format on

constexpr std::size_t kRowOperandSize = 8;   // REX, escape, ModRM, SIB, disp32 at most
constexpr std::size_t kValueOperandSize = 3;  // fld or fstp dword ptr [rdx/rcx+disp8]
constexpr std::size_t kPieceFixed =
    sizeof(kEnter) + sizeof(kNextFourRows) + 4 + sizeof(kLeave) + 4 * (sizeof(kMakeNan) + kValueOperandSize);

using PieceFunction = void (*)(const float*, std::size_t, const float*, float*, std::size_t);

// fld, fadd, fsub, fmul or fdiv of the float at `column` of row k.
void EmitRowOperand(ByteWriter& out, std::uint8_t escape, std::uint8_t digit, int k, std::uint16_t column) {
    const RowAddress& address = kRowAddress[k];
    if (address.rex != 0) out.Byte(address.rex);
    out.Byte(escape);
    out.Byte(static_cast<std::uint8_t>(address.modrmLow | digit << 3));
    if (address.sib != 0) out.Byte(address.sib);
    out.Dword(4u * column);
}

// fld dword ptr [rdx+4k] (the helper's value of row k) or fstp dword ptr [rcx+4k].
void EmitValueOperand(ByteWriter& out, bool store, int k) {
    out.Byte(0xD9);
    out.Byte(store ? 0x59 : 0x42);
    out.Byte(static_cast<std::uint8_t>(4 * k));
}

void EmitRow(ByteWriter& out, const LiveStep* first, const LiveStep* last, bool fromValues, int k) {
    static const std::uint8_t digits[] = {0, 4, 1, 6};  // add, sub, mul, div
    if (fromValues) {
        EmitValueOperand(out, false, k);
    } else if (first->kind == StepKind::Nan) {
        out.Bytes(kMakeNan);
    } else {
        EmitRowOperand(out, 0xD9, 0, k, first->column);  // fld
    }
    for (const LiveStep* step = fromValues ? first : first + 1; step != last; ++step) {
        const int which = static_cast<int>(step->kind) - static_cast<int>(StepKind::Add);
        EmitRowOperand(out, 0xD8, digits[which], k, step->column);
    }
    EmitValueOperand(out, true, k);
}

// The relative jump whose rel32 ends at `end` goes to `target`.
void Link(std::uint8_t* end, const std::uint8_t* target) {
    const auto relative = static_cast<std::uint32_t>(target - end);
    std::memcpy(end - 4, &relative, 4);
}

// Four rows an iteration; the caller runs a multiple of four rows.
std::uint8_t* EmitPiece(std::uint8_t* at, const LiveStep* first, const LiveStep* last, bool fromValues) {
    ByteWriter out{at};
    out.Bytes(kEnter);
    std::uint8_t* const fourRows = out.at;
    for (int k = 0; k < 4; ++k) EmitRow(out, first, last, fromValues, k);
    out.Bytes(kNextFourRows);
    out.Dword(0);
    Link(out.at, fourRows);
    out.Bytes(kLeave);
    return out.at;
}

}  // namespace

void RowKernel::Prepare(int slot, const LiveProgram& live) {
    Plan& plan = plans_[slot];
    plan.pieces.clear();
    const std::size_t worst = (live.steps.size() + 1) * (kPieceFixed + 4 * kRowOperandSize);
    // Grown by doubling from 16 KiB, so that mapping new code memory stays rare.
    if (plan.code.Size() < worst) {
        std::size_t size = std::max<std::size_t>(2 * plan.code.Size(), 16384);
        while (size < worst) size *= 2;
        plan.code = ExecutableMemory(size);
    }

    std::uint8_t* at = plan.code.Writable();
    const LiveStep* begin = live.steps.data();
    const LiveStep* const end = begin + live.steps.size();
    bool fromValues = false;
    while (true) {
        const LiveStep* stop = begin;
        while (stop != end && stop->kind != StepKind::Helper) ++stop;
        Piece piece;
        piece.fromValues = fromValues;
        piece.generated = !fromValues || stop != begin;
        piece.helper = stop == end ? -1 : stop->helper;
        if (piece.generated) {
            piece.entry = static_cast<std::size_t>(at - plan.code.Writable());
            at = EmitPiece(at, begin, stop, fromValues);
        }
        plan.pieces.push_back(piece);
        if (stop == end) break;
        begin = stop + 1;
        fromValues = true;
    }
    plan.code.FinishWriting();
}

void RowKernel::Run(int slot, const float* rows, std::size_t stride, std::size_t count, float* values) {
    const Plan& plan = plans_[slot];
    if (count == 0) return;
    count = RoundedRows(count);
    for (const Piece& piece : plan.pieces) {
        if (piece.generated) {
            const auto function = reinterpret_cast<PieceFunction>(
                reinterpret_cast<std::uintptr_t>(plan.code.Executable() + piece.entry));
            function(rows, stride * sizeof(float), values, values, count);
        }
        if (piece.helper >= 0) kHelpers[piece.helper].block(values, values, count);
    }
}
