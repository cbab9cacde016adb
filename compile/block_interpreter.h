#pragma once
// Values of a program on a block of rows, computed in C++ exactly as its compiled code computes
// them: the x87 stack as arrays of extended values, one instruction at a time over all rows of the
// block, helpers through their float block forms. Only for programs that raise no stack fault,
// which the interpreter checks first. Used where many small programs are scored on few rows and
// where a program needs the value before its final rounding.
//
// One interpreter per thread: it owns its scratch.
#include <cstddef>
#include <cstdint>
#include <vector>

// Where the float that an operand addresses comes from, for each row of the block: column c of the
// program's row is `values[c][r * steps[c]]`, so a step of 0 gives every row the same value.
struct BlockColumns {
    const float* const* values;
    const std::uint8_t* steps;  // 1 or 0
    std::size_t count;          // columns an operand may address
};

class BlockInterpreter {
  public:
    static constexpr std::size_t kBlockRows = 64;

    // Whether the program runs without a stack fault and reads only columns below `columns`.
    static bool Runs(const std::uint8_t* program, std::size_t length, std::size_t columns);

    // top[r] = the value the program leaves on top, before its final rounding to float, for `rows`
    // <= kBlockRows rows. The program must be one that Runs.
    void Run(const std::uint8_t* program, std::size_t length, const BlockColumns& columns, std::size_t rows,
             long double* top);

  private:
    long double stack_[8][kBlockRows];
    float argument_[kBlockRows];
};
