#pragma once
// Translation of programs (3-byte instructions) into native x87 code, and the buffers holding it.
// A buffer is compiled into and run by one thread at a time; the engine keeps one per worker slot.
// Its memory is never writable and executable at once: code is written through one view and runs
// from another (platform/executable_memory.h).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/executable_memory.h"

constexpr std::size_t kInitialCodeBufferSize = 0x10000;

// A compiled program: takes the row (inputs, then constants) and returns the program's value.
// cdecl on IA-32 (result in st(0)), System V on x86-64 (result in xmm0).
using CompiledFunction = float (*)(const float* row);

class CodeBuffer {
  public:
    // Holds the compiled empty program until the first Compile.
    explicit CodeBuffer(std::size_t capacity = kInitialCodeBufferSize);

    // Valid from the end of a Compile until the next Compile into this buffer.
    CompiledFunction Function() const;
    const std::uint8_t* Bytes() const { return memory_.Writable(); }
    std::size_t Size() const { return size_; }  // prologue, body and epilogue

  private:
    friend void Compile(CodeBuffer& buffer, const std::uint8_t* program, std::size_t length);

    ExecutableMemory memory_;
    std::size_t size_ = 0;
};

// Translates the length / 3 whole instructions of the program into the buffer, growing it first
// when the program could need more room than it has. Allocates nothing when the buffer suffices.
void Compile(CodeBuffer& buffer, const std::uint8_t* program, std::size_t length);
void Compile(CodeBuffer& buffer, const std::vector<std::uint8_t>& program);

// Calls a compiled program. On IA-32 the program leaves its surplus values on the x87 stack, which
// compiled C++ code does not expect; this call empties the stack, so use it rather than the bare
// pointer when more x87 arithmetic follows.
float CallCompiled(CompiledFunction function, const float* row);

inline float CallCompiled(const CodeBuffer& buffer, const float* row) {
    return CallCompiled(buffer.Function(), row);
}
