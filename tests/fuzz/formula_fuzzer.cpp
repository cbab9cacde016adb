// Arbitrary programs as formulas: the exact formula computes what the compiled program computes,
// bit for bit (any NaN equal to any NaN); the simplified formula, the texts and the C source are
// made without fault; and an arbitrary --names list is read or refused with BadInput.
//
// Input: a --names list up to the first line feed, then two bytes of program length, the program,
// one byte that is the input count, and the row's values, repeated to fill all 16384 floats that an
// operand can address.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "compile/code_generator.h"
#include "formula/bad_input.h"
#include "formula/c_emitter.h"
#include "formula/formula.h"
#include "formula/formula_printer.h"
#include "formula/input_names.h"
#include "formula/simplifier.h"

namespace {

constexpr std::size_t kRowFloats = 16384;

bool Same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<std::string> Names(const std::string& list) {
    try {
        return ReadInputNames(list);
    } catch (const BadInput&) {
        return {};
    }
}

std::vector<float> Row(const std::uint8_t* data, std::size_t size) {
    std::vector<float> row(kRowFloats);
    const std::size_t bytes = std::min(size / sizeof(float) * sizeof(float), kRowFloats * sizeof(float));
    std::memcpy(row.data(), data, bytes);
    for (std::size_t filled = bytes / sizeof(float); filled > 0 && filled < kRowFloats;
         filled *= 2)  // repeat
        std::copy_n(row.begin(), std::min(filled, kRowFloats - filled),
                    row.begin() + static_cast<long>(filled));
    return row;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(data, '\n', size));
    if (end == nullptr || data + size - end < 4) return 0;
    const std::vector<std::string> names = Names(std::string(data, end));
    const std::uint8_t* rest = end + 1;
    const std::size_t restSize = static_cast<std::size_t>(data + size - rest);
    const std::size_t length = std::min<std::size_t>(rest[0] << 8 | rest[1], restSize - 3);
    const std::vector<std::uint8_t> program(rest + 2, rest + 2 + length);
    const std::size_t inputCount = rest[2 + length];
    const std::vector<float> row = Row(rest + 3 + length, restSize - 3 - length);

    const Expression formula = MakeFormula(program, row, inputCount);
    static CodeBuffer buffer;
    Compile(buffer, program);
    const float compiled = CallCompiled(buffer, row.data());
    const float exact = EvaluateFormula(formula, row.data());
    if (!Same(compiled, exact)) {
        std::fprintf(stderr, "compiled code gives %a, the formula %a: %s\n", compiled, exact,
                     FormulaText(formula).c_str());
        std::abort();
    }
    FormulaText(formula, {names});
    CSource(formula, inputCount, "fuzz", names);
    if (const std::optional<Expression> simplified = Simplify(formula)) {
        FormulaText(*simplified, {names, 6});
        Compare(formula, *simplified, row.data(), kRowFloats, 1);
    }
    return 0;
}
