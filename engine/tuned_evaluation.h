#pragma once
// Exact values of a tuned program: its body (the instructions before the scaling) run by the block
// interpreter over the rows, bit for bit what the compiled program holds on the x87 stack before
// it multiplies by the scale. One evaluator per thread: it owns its scratch.
#include <vector>

#include "compile/block_interpreter.h"
#include "engine/tuned_program.h"
#include "engine/tuned_rows.h"

class TunedEvaluator {
  public:
    // values[r] for every row; the program must run without a stack fault.
    void BodyValues(const TunedCode& code, const TunedRows& rows, long double* values);

  private:
    BlockInterpreter interpreter_;
    std::vector<const float*> columns_;
    std::vector<std::uint8_t> steps_;
};
