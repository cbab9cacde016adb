#pragma once
// Source text of a best program: a stand-alone file whose naked function repeats, as inline assembler lines,
// the native code of the program instruction for instruction, and whose main function calls it on the sample
// row with the expected value beside it. Called by the run coordinator only, between breeding phases.
#include <cstdint>
#include <string>
#include <vector>

// The assembler body (the naked function's lines). Opcode byte 23, and any byte from kOpcodeCount on, gives a nop line; bytes
// after the last whole instruction (a length that is not a multiple of 3) are ignored.
std::string EmitBody(const std::vector<std::uint8_t>& program);

// "(float)%s " per value, joined by ","; empty for no values. A float prints as the stream's default
// output when that reads back (strtof) as the same float, else with the fewest of 7, 8 or 9
// significant digits that do; NaN and the infinities as the stream prints them.
std::string InputsText(const std::vector<float>& sampleInputs);

// The target, printed the same way.
std::string ExpectedText(float sampleTarget);

// Sample row of the emitted main function: the first training row's inputs (all values but the last)
// followed by every constant, and that row's last value as target. Leaves both untouched when there is no
// first row or it holds no value.
void PrepareSample(const std::vector<std::vector<float>>& rows, const std::vector<float>& constants,
                   std::vector<float>& sampleInputs, float& sampleTarget);

// Fills the file template's five slots in order.
std::string FormatSource(const std::string& helperSource, const std::string& body,
                         const std::string& activationSource, const std::string& inputsText,
                         const std::string& expectedText);

// The whole file for a program and the sample.
std::string EmitSource(const std::vector<std::uint8_t>& program, const std::vector<float>& sampleInputs,
                       float sampleTarget, const std::string& helperSource,
                       const std::string& activationSource);
