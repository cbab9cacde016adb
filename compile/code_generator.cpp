#include "compile/code_generator.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "compile/helpers.h"
#include "compile/native_glue.h"
#include "compile/x87_encoding.h"

namespace {

constexpr std::uint8_t kStaleCodeFiller = 0xCC;  // int3

ByteWriter WriterAt(const ExecutableMemory& memory, std::size_t offset) {
    return ByteWriter{memory.Writable() + offset, memory.Distance()};
}

ExecutableMemory NewCodeMemory(std::size_t capacity) {
    ExecutableMemory memory(capacity);
    ByteWriter out = WriterAt(memory, 0);
    EmitPrologue(out);
    return memory;
}

// Room that a program of `count` instructions could need in the worst case.
std::size_t WorstCaseSize(std::size_t count) {
    const std::size_t fixed = kPrologueSize + kMaxEpilogueSize;
    if (count > (std::numeric_limits<std::size_t>::max() - fixed) / kMaxInstructionSize) {
        throw std::length_error("program too long to compile");
    }
    return fixed + count * kMaxInstructionSize;
}

void EmitInstruction(ByteWriter& out, const OpcodeForm& form, std::uint16_t displacement,
                     RotationRegister reg, int depth) {
    switch (form.shape) {
        case Shape::Load:
        case Shape::Arithmetic:
            EmitMemoryForm(out, form.escape, form.digit, reg, displacement);
            break;
        case Shape::LoadThenPop:
            EmitMemoryForm(out, form.escape, form.digit, reg, displacement);
            out.Bytes(form.pop);
            break;
        case Shape::HelperOfInput:
            EmitHelperCallStart(out);
            EmitMemoryForm(out, form.escape, form.digit, reg, displacement);
            EmitHelperCall(out, kHelpers[form.helper].call, DepthDuringHelper(form, depth));
            break;
        case Shape::HelperOfTop:
            EmitHelperCallStart(out);
            EmitHelperCall(out, kHelpers[form.helper].call, DepthDuringHelper(form, depth));
            break;
        case Shape::Pop:
            out.Bytes(form.pop);
            break;
        case Shape::Nop:
            out.Byte(0x90);  // nop
            break;
    }
}

}  // namespace

CodeBuffer::CodeBuffer(std::size_t capacity) : memory_(NewCodeMemory(capacity)), size_(kPrologueSize) {
    Compile(*this, nullptr, 0);
}

CompiledFunction CodeBuffer::Function() const {
    return reinterpret_cast<CompiledFunction>(reinterpret_cast<std::uintptr_t>(memory_.Executable()));
}

void Compile(CodeBuffer& buffer, const std::uint8_t* program, std::size_t length) {
    const std::size_t count = length / 3;
    const std::size_t worst = WorstCaseSize(count);
    if (worst > buffer.memory_.Size()) {
        const std::size_t grown = (worst + kInitialCodeBufferSize - 1) / kInitialCodeBufferSize;
        buffer.memory_ = NewCodeMemory(grown * kInitialCodeBufferSize);
        buffer.size_ = kPrologueSize;
    }

    ByteWriter out = WriterAt(buffer.memory_, kPrologueSize);
    RotationRegister reg = 0;
    int depth = 0;
    for (const std::uint8_t* instruction = program; instruction != program + 3 * count; instruction += 3) {
        const OpcodeForm& form = FormOf(instruction[0]);
        const auto operand = static_cast<std::uint16_t>(instruction[1] << 8 | instruction[2]);
        EmitInstruction(out, form, DisplacementOf(operand), reg, depth);
        depth = DepthAfter(form, depth);
        reg = reg == 2 ? 0 : reg + 1;
    }
    EmitEpilogue(out, depth);

    // Whatever of the previous program lies beyond this one's end becomes int3.
    const std::size_t size = static_cast<std::size_t>(out.at - buffer.memory_.Writable());
    if (size < buffer.size_) {
        std::memset(out.at, kStaleCodeFiller, buffer.size_ - size);
    }
    buffer.size_ = size;
    buffer.memory_.FinishWriting();
}

void Compile(CodeBuffer& buffer, const std::vector<std::uint8_t>& program) {
    Compile(buffer, program.data(), program.size());
}
