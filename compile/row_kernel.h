#pragma once
// Values of a program on a block of rows at once: only the live part runs, with the rows looped
// inside generated code and each helper applied to the whole block between two pieces of it.
// The values are those of the program compiled by the code generator, bit for bit (NaN for NaN).
//
// One kernel per thread: it owns its code memory and its scratch.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "compile/program_analysis.h"
#include "platform/executable_memory.h"

constexpr std::size_t kKernelBlockRows = 256;  // a multiple of four

constexpr std::size_t RoundedRows(std::size_t count) { return (count + 3) / 4 * 4; }

class RowKernel {
  public:
    // Prepares `live` to run as program `slot` (0 .. kKernelPrograms - 1) of this kernel; a slot
    // keeps its program until the next Prepare into it. Allocates nothing once the kernel has
    // held programs as long.
    static constexpr int kKernelPrograms = 8;
    void Prepare(int slot, const LiveProgram& live);

    // values[r] = the slot's program on row r of `count` <= kKernelBlockRows rows, the first at
    // `rows`, one every `stride` floats. Rows are taken four at a time: up to RoundedRows(count)
    // rows must be readable, and values must have room for as many.
    void Run(int slot, const float* rows, std::size_t stride, std::size_t count, float* values);

  private:
    struct Piece {                  // generated code up to the next helper, or to the end
        std::size_t entry = 0;      // offset in code_
        bool fromValues = false;    // starts from the values of the helper before it
        bool generated = false;     // false: the values pass through unchanged
        int helper = -1;            // applied to the block after the piece, or none
    };
    struct Plan {
        std::vector<Piece> pieces;
        ExecutableMemory code;
        LiveProgram live;  // where code is not generated
    };

    Plan plans_[kKernelPrograms];
};
