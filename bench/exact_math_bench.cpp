// Time per value of exp, log, sin, cos and tan of a float: the math library as the helpers called
// it before (Library), our scalar form (Scalar) and our block form (Block), on ordinary arguments.
// The argument of each benchmark is the HelperIndex; the label names the function.
//   cmake -DTARVO_BENCH=ON ... && build/x86_64/exact_math_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "compile/exact_math.h"

namespace {

// Each function's arguments: uniform in [low, high].
const struct { float low, high; } kRanges[] = {{-10, 10}, {0, 100}, {-10, 10}, {-10, 10}, {-10, 10}};

constexpr std::size_t kValues = 4096;

std::vector<float> Arguments(HelperIndex helper) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> uniform(kRanges[helper].low, kRanges[helper].high);
    std::vector<float> values(kValues);
    for (float& v : values) v = uniform(random);
    return values;
}

template <class Apply>
void Run(benchmark::State& state, Apply apply) {
    const Helper& f = kHelpers[state.range(0)];
    const std::vector<float> in = Arguments(IndexOfHelper(f));
    std::vector<float> out(kValues);
    for (auto _ : state) {
        apply(f, in.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(f.name);
    state.counters["per value"] =
        benchmark::Counter(static_cast<double>(kValues),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Library(benchmark::State& state) {
    Run(state, [](const Helper& f, const float* in, float* out) {
        for (std::size_t i = 0; i < kValues; ++i) out[i] = RoundThroughDouble(f.library(in[i]));
    });
}

void Scalar(benchmark::State& state) {
    Run(state, [](const Helper& f, const float* in, float* out) {
        for (std::size_t i = 0; i < kValues; ++i) out[i] = f.compute(in[i]);
    });
}

void Block(benchmark::State& state) {
    Run(state, [](const Helper& f, const float* in, float* out) { f.block(in, out, kValues); });
}

BENCHMARK(Library)->DenseRange(kExp, kTan);
BENCHMARK(Scalar)->DenseRange(kExp, kTan);
BENCHMARK(Block)->DenseRange(kExp, kTan);

}  // namespace

BENCHMARK_MAIN();
