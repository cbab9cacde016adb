// IA-32 keeps the literal code generator for learning; the kernel here only evaluates the live
// part in C++, one row at a time, for callers that want block values on both targets.
#include "compile/row_kernel.h"

void RowKernel::Prepare(int slot, const LiveProgram& live) { plans_[slot].live = live; }

void RowKernel::Run(int slot, const float* rows, std::size_t stride, std::size_t count, float* values) {
    for (std::size_t r = 0; r < count; ++r) values[r] = EvaluateLive(plans_[slot].live, rows + r * stride);
}
