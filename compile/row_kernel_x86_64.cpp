// x86-64: each piece of the live part becomes a loop over the rows, x87 arithmetic on memory
// operands, the value stored as a float per row. The x87 stack holds one value at most, so the
// pop forms of the stack machine become the memory forms: both round the same result once.
//
// A piece is a System V function
//   void piece(const float* rows, size_t strideBytes, const float* in, float* out, size_t count)
// (rdi, rsi, rdx, rcx, r8; count > 0). It reads its start from the row (column), from in (the
// values of the helper before it) or makes the x87 NaN, and sets the control word the compiled
// programs run with (64-bit precision, round to nearest, exceptions masked) for its duration.
#include <cstring>

#include "compile/activation.h"
#include "compile/row_kernel.h"
#include "compile/x87_encoding.h"

namespace {

// clang-format off
const std::uint8_t kEnter[] = {
    0xD9, 0x7C, 0x24, 0xF8,                    // fnstcw word ptr [rsp-8]
    0x66, 0xC7, 0x44, 0x24, 0xFA, 0x7F, 0x03,  // mov word ptr [rsp-6],37Fh
    0xD9, 0x6C, 0x24, 0xFA,                    // fldcw word ptr [rsp-6]
};
const std::uint8_t kLoadIn[] = {
    0xD9, 0x02,                                // fld dword ptr [rdx]
};
const std::uint8_t kMakeNan[] = {
    0xD9, 0xEE,                                // fldz
    0xD8, 0xF0,                                // fdiv st(0),st(0): the indefinite NaN
};
const std::uint8_t kStoreOut[] = {
    0xD9, 0x19,                                // fstp dword ptr [rcx]
};
const std::uint8_t kNextRow[] = {
    0x48, 0x01, 0xF7,                          // add rdi,rsi
    0x48, 0x83, 0xC2, 0x04,                    // add rdx,4
    0x48, 0x83, 0xC1, 0x04,                    // add rcx,4
    0x49, 0xFF, 0xC8,                          // dec r8
    0x0F, 0x85,                                // jnz rel32, rel32 follows
};
const std::uint8_t kLeave[] = {
    0xD9, 0x6C, 0x24, 0xF8,                    // fldcw word ptr [rsp-8]
    0xC3,                                      // ret
};
// clang-format on

constexpr std::uint8_t kRowOperand = 0x87;  // ModRM mod 10, rm rdi: [rdi+disp32]
constexpr std::size_t kMemoryForm = 6;
constexpr std::size_t kPieceFixed = sizeof(kEnter) + sizeof(kMakeNan) + sizeof(kStoreOut) + sizeof(kNextRow) + 4 +
                                    sizeof(kLeave);

using PieceFunction = void (*)(const float*, std::size_t, const float*, float*, std::size_t);

// fld, fadd, fsub, fmul or fdiv of the float at `column` of the row.
void EmitRowOperand(ByteWriter& out, std::uint8_t escape, std::uint8_t digit, std::uint16_t column) {
    out.Byte(escape);
    out.Byte(static_cast<std::uint8_t>(kRowOperand | digit << 3));
    out.Dword(4u * column);
}

void EmitStart(ByteWriter& out, const LiveStep& start, bool fromValues) {
    if (fromValues) {
        out.Bytes(kLoadIn);
    } else if (start.kind == StepKind::Nan) {
        out.Bytes(kMakeNan);
    } else {
        EmitRowOperand(out, 0xD9, 0, start.column);  // fld
    }
}

void EmitArithmetic(ByteWriter& out, const LiveStep& step) {
    static const std::uint8_t digits[] = {0, 4, 1, 6};  // add, sub, mul, div
    const int which = static_cast<int>(step.kind) - static_cast<int>(StepKind::Add);
    EmitRowOperand(out, 0xD8, digits[which], step.column);
}

std::uint8_t* EmitPiece(std::uint8_t* at, const LiveStep* first, const LiveStep* last, bool fromValues) {
    ByteWriter out{at};
    out.Bytes(kEnter);
    std::uint8_t* const loop = out.at;
    EmitStart(out, *first, fromValues);
    for (const LiveStep* step = fromValues ? first : first + 1; step != last; ++step) EmitArithmetic(out, *step);
    out.Bytes(kStoreOut);
    out.Bytes(kNextRow);
    out.Dword(static_cast<std::uint32_t>(loop - (out.at + 4)));
    out.Bytes(kLeave);
    return out.at;
}

float ApplyHelper(int helper, float x) {
    switch (helper) {
        case kExp: return ComputeExp(x);
        case kLog: return ComputeLog(x);
        case kSin: return ComputeSin(x);
        case kCos: return ComputeCos(x);
        case kTan: return ComputeTan(x);
        case kSigmoid: return ComputeSigmoid(x);
        default: return ComputeTanh(x);
    }
}

void ApplyHelperBlock(int helper, float* values, std::size_t count) {
    for (std::size_t r = 0; r < count; ++r) values[r] = ApplyHelper(helper, values[r]);
}

}  // namespace

void RowKernel::Prepare(int slot, const LiveProgram& live) {
    Plan& plan = plans_[slot];
    plan.pieces.clear();
    const std::size_t worst = (live.steps.size() + 1) * (kPieceFixed + kMemoryForm);
    if (plan.code.size() < worst) plan.code = ExecutableMemory((worst + 4095) / 4096 * 4096);

    std::uint8_t* at = plan.code.data();
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
            piece.entry = static_cast<std::size_t>(at - plan.code.data());
            at = EmitPiece(at, begin, stop, fromValues);
        }
        plan.pieces.push_back(piece);
        if (stop == end) break;
        begin = stop + 1;
        fromValues = true;
    }
}

void RowKernel::Run(int slot, const float* rows, std::size_t stride, std::size_t count, float* values) {
    const Plan& plan = plans_[slot];
    for (const Piece& piece : plan.pieces) {
        if (piece.generated) {
            const auto function = reinterpret_cast<PieceFunction>(
                reinterpret_cast<std::uintptr_t>(plan.code.data() + piece.entry));
            function(rows, stride * sizeof(float), values, values, count);
        }
        if (piece.helper >= 0) ApplyHelperBlock(piece.helper, values, count);
    }
}
