// Compile time per program and run time per row of the native code generator.
//   cmake -DTARVO_BENCH=ON ... && build/<dir>/codegen_bench
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "compile/activation.h"
#include "compile/code_generator.h"
#include "compile/function_set.h"

namespace {

constexpr int kColumns = 12;

// A program as random generation makes one: opcode 0 first, then draws from the pool.
std::vector<std::uint8_t> TypicalProgram(std::int32_t functionFlags, int length) {
    std::vector<std::uint8_t> pool;
    std::string helpers, activation;
    BuildOpcodePool(functionFlags, pool, helpers, activation);
    std::mt19937 random(7);
    std::vector<std::uint8_t> program;
    for (int n = 0; n < length; ++n) {
        const std::uint8_t opcode = n == 0 ? 0 : pool[random() % pool.size()];
        program.insert(program.end(), {opcode, 0, static_cast<std::uint8_t>(random() % kColumns)});
    }
    return program;
}

// range(0): function flags; range(1): instructions.
void Compile(benchmark::State& state) {
    const std::vector<std::uint8_t> program =
        TypicalProgram(static_cast<std::int32_t>(state.range(0)), static_cast<int>(state.range(1)));
    CodeBuffer buffer;
    for (auto _ : state) {
        Compile(buffer, program);
        benchmark::ClobberMemory();
    }
}

void RunRow(benchmark::State& state) {
    const std::vector<std::uint8_t> program =
        TypicalProgram(static_cast<std::int32_t>(state.range(0)), static_cast<int>(state.range(1)));
    CodeBuffer buffer;
    Compile(buffer, program);
    float row[kColumns];
    for (int i = 0; i < kColumns; ++i) {
        row[i] = 0.25f * static_cast<float>(i + 1);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(CallCompiled(buffer, row));
    }
}

// Arithmetic only (0x00F) and all eleven functions (0x7FF), short and long programs.
#define TARVO_PROGRAMS Args({0x00F, 10})->Args({0x00F, 40})->Args({0x7FF, 10})->Args({0x7FF, 40})
BENCHMARK(Compile)->TARVO_PROGRAMS;
BENCHMARK(RunRow)->TARVO_PROGRAMS;

}  // namespace

BENCHMARK_MAIN();
