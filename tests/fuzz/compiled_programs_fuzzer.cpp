// Arbitrary byte strings run as programs over arbitrary rows on every evaluation path of the build
// that applies to them, and on the tests' model of the x87 stack; all give the same bits, any NaN
// equal to any NaN. A further path is one more entry in kPaths.
//
// Input: two bytes of program length, the program, then the row's values, repeated to fill all
// 16384 floats that an operand can address (byte offset 4 * operand mod 65536). The row ends at
// an inaccessible page, so a read past it faults.
#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "compile/activation.h"
#include "compile/code_generator.h"
#include "compile/program_analysis.h"
#include "compile/row_kernel.h"
#include "tests/random_programs.h"

namespace {

constexpr std::size_t kRowFloats = 16384;

struct Path {
    const char* name;
    // False where the path does not apply: the live part and the row kernel compute chains only.
    bool (*evaluate)(const std::uint8_t* program, std::size_t length, const float* row, float& value);
};

const Path kPaths[] = {
    {"compiled code",
     [](const std::uint8_t* program, std::size_t length, const float* row, float& value) {
         static CodeBuffer buffer;  // reused, as the engine reuses its buffers
         Compile(buffer, program, length);
         value = CallCompiled(buffer, row);
         return true;
     }},
    {"stack machine",
     [](const std::uint8_t* program, std::size_t length, const float* row, float& value) {
         value = ReferenceValue(program, length, row);
         return true;
     }},
    {"live part",
     [](const std::uint8_t* program, std::size_t length, const float* row, float& value) {
         const LiveProgram live = AnalyseProgram(program, length);
         if (live.chain) value = EvaluateLive(live, row);
         return live.chain;
     }},
    // The row kernel reads four rows at a time; with a stride of 0 they are all this one row.
    {"row kernel",
     [](const std::uint8_t* program, std::size_t length, const float* row, float& value) {
         static RowKernel kernel;
         float values[4];
         const LiveProgram live = AnalyseProgram(program, length);
         if (!live.chain) return false;
         kernel.Prepare(0, live);
         kernel.Run(0, row, 0, 1, values);
         value = values[0];
         return true;
     }},
};

float* GuardedRow() {
    const std::size_t bytes = kRowFloats * sizeof(float);
    auto* memory = static_cast<std::uint8_t*>(
        mmap(nullptr, bytes + 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (memory == MAP_FAILED || mprotect(memory + bytes, 4096, PROT_NONE) != 0) std::abort();
    return reinterpret_cast<float*>(memory);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static float* const row = GuardedRow();
    if (size < 2) return 0;
    const std::size_t length = std::min<std::size_t>(data[0] << 8 | data[1], size - 2);
    const std::uint8_t* program = data + 2;
    const std::size_t valueBytes = (size - 2 - length) / sizeof(float) * sizeof(float);
    auto* const bytes = reinterpret_cast<std::uint8_t*>(row);
    const std::size_t rowBytes = kRowFloats * sizeof(float);
    std::memset(row, 0, rowBytes);
    std::memcpy(bytes, program + length, std::min(valueBytes, rowBytes));
    for (std::size_t filled = valueBytes; filled > 0 && filled < rowBytes; filled *= 2)  // repeat
        std::memcpy(bytes + filled, bytes, std::min(filled, rowBytes - filled));
    float first = 0;
    kPaths[0].evaluate(program, length, row, first);
    for (const Path& path : kPaths) {
        float value = 0;
        if (!path.evaluate(program, length, row, value) || SameFloat(value, first)) continue;
        std::fprintf(stderr, "%s gives %a, %s gives %a\n", kPaths[0].name, first, path.name, value);
        std::abort();
    }
    return 0;
}
