#pragma once
// Entry, exit and helper-call code of the target the program is built for, around the shared body.
// One definition per target: native_glue_ia32.cpp and native_glue_x86_64.cpp.
#include <cstddef>

#include "compile/x87_encoding.h"

extern const std::size_t kPrologueSize;
// Upper bounds that the code generator reserves before it writes a program.
extern const std::size_t kMaxInstructionSize;
extern const std::size_t kMaxEpilogueSize;

// Written once at the start of a buffer; takes the row pointer into the three rotation registers
// and resets the x87 unit.
void EmitPrologue(ByteWriter& out);
// Before the argument of a helper call is on the x87 stack.
void EmitHelperCallStart(ByteWriter& out);
// The argument is the x87 top with `depthBelow` slots under it: rounds it to float, calls the
// helper, pushes its result and reloads the rotation registers.
void EmitHelperCall(ByteWriter& out, HelperFunction helper, int depthBelow);
// Rounds the top through a float and returns it; `depth` slots are occupied.
void EmitEpilogue(ByteWriter& out, int depth);
