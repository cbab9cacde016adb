// Exhaustive check of the helpers' own exp, log, sin, cos and tan (compile/exact_math.h): every one
// of the 2^32 float bit patterns through the scalar and the block form of each, compared bit for
// bit with the math library's double result rounded to float. Not part of the tests: it takes
// minutes per function. Prints per function the values checked, how many the fast path proved,
// how many it left to the math library ("near tie": of those, how many have a library result within
// the fast path's margin of a float rounding boundary, whether or not the argument was in range), the
// mismatches of each form (must be 0) and the time.
//   cmake -DTARVO_BENCH=ON ... && nice -n 19 build/x86_64/exact_math_check [exp log sin cos tan]
//       [--threads N] [--hard FILE]
// --hard FILE writes arguments whose library result lies nearest a float rounding boundary, the
// seeds of tests/data/exact_math_hard.txt.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "compile/exact_math.h"

namespace {

std::uint32_t Bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// How far the library's double lies from the nearest float rounding boundary, in double ulps.
std::uint64_t DistanceToTie(double y) {
    std::uint64_t b;
    std::memcpy(&b, &y, sizeof b);
    const std::int64_t dropped = static_cast<std::int64_t>(b & ((std::uint64_t{1} << 29) - 1));
    return static_cast<std::uint64_t>(std::llabs(dropped - (std::int64_t{1} << 28)));
}

constexpr std::uint64_t kNearTie = 1 << 13;  // the fast path's own margin

struct HardCase {
    std::uint64_t distance;
    std::uint32_t bits;
};

struct Counts {
    std::uint64_t checked = 0, proven = 0, scalarWrong = 0, blockWrong = 0;
    std::vector<HardCase> hard;  // unproven, with a normal float result near a tie

    void Add(const Counts& other) {
        checked += other.checked;
        proven += other.proven;
        scalarWrong += other.scalarWrong;
        blockWrong += other.blockWrong;
        hard.insert(hard.end(), other.hard.begin(), other.hard.end());
    }
};

constexpr std::uint64_t kSlice = std::uint64_t{1} << 16;
constexpr std::uint64_t kSlices = (std::uint64_t{1} << 32) / kSlice;

void CheckSlice(const Helper& f, std::uint64_t slice, std::vector<float>& in, std::vector<float>& out,
                Counts& counts) {
    for (std::uint64_t i = 0; i < kSlice; ++i) {
        const std::uint32_t bits = static_cast<std::uint32_t>(slice * kSlice + i);
        std::memcpy(&in[i], &bits, sizeof bits);
    }
    f.block(in.data(), out.data(), kSlice);
    for (std::uint64_t i = 0; i < kSlice; ++i) {
        const float x = in[i];
        const double exact = f.library(static_cast<double>(x));
        const std::uint32_t expected = Bits(RoundThroughDouble(exact));
        float fast;
        const bool proven = ExactFastPath(IndexOfHelper(f), x, fast);
        ++counts.checked;
        counts.proven += proven;
        counts.scalarWrong += Bits(f.compute(x)) != expected;
        counts.blockWrong += Bits(out[i]) != expected;
        const bool normalFloat = std::fabs(exact) >= 0x1p-126 && std::fabs(exact) < 0x1p127;
        if (!proven && normalFloat && DistanceToTie(exact) < kNearTie) {
            counts.hard.push_back({DistanceToTie(exact), Bits(x)});
        }
    }
}

Counts CheckAll(const Helper& f, unsigned threads) {
    std::atomic<std::uint64_t> next{0};
    std::mutex mutex;
    Counts total;
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            std::vector<float> in(kSlice), out(kSlice);
            Counts counts;
            for (std::uint64_t slice; (slice = next++) < kSlices;) CheckSlice(f, slice, in, out, counts);
            const std::lock_guard<std::mutex> lock(mutex);
            total.Add(counts);
        });
    }
    for (auto& w : workers) w.join();
    return total;
}

// The nearest to a boundary, then an even spread over the rest.
void WriteHard(std::ofstream& file, const Helper& f, std::vector<HardCase> hard) {
    constexpr std::size_t kNearest = 24, kSpread = 24;
    std::sort(hard.begin(), hard.end(), [](const HardCase& a, const HardCase& b) {
        return a.distance < b.distance || (a.distance == b.distance && a.bits < b.bits);
    });
    std::vector<std::uint32_t> chosen;
    for (std::size_t i = 0; i < hard.size() && i < kNearest; ++i) chosen.push_back(hard[i].bits);
    if (hard.size() > kNearest) {
        std::sort(hard.begin() + kNearest, hard.end(),
                  [](const HardCase& a, const HardCase& b) { return a.bits < b.bits; });
        const std::size_t rest = hard.size() - kNearest;
        for (std::size_t i = 0; i < kSpread && i < rest; ++i)
            chosen.push_back(hard[kNearest + i * rest / kSpread].bits);
    }
    for (std::uint32_t bits : chosen) {
        char line[32];
        std::snprintf(line, sizeof line, "%s %08x\n", f.name, static_cast<unsigned>(bits));
        file << line;
    }
}

// The instruction set whose copy of the block forms runs here (exact_math_x86_64.cpp).
const char* InstructionSet() {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("x86-64-v4")) return "x86-64-v4 (AVX-512)";
    if (__builtin_cpu_supports("x86-64-v3")) return "x86-64-v3 (AVX2)";
    return "x86-64 (SSE2)";
#else
    return "IA-32 (the math library only)";
#endif
}

}  // namespace

int main(int argc, char** argv) {
    unsigned threads = 2;
    std::string hardPath;
    std::vector<const Helper*> chosen;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--threads" && i + 1 < argc) {
            threads = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--hard" && i + 1 < argc) {
            hardPath = argv[++i];
        } else {
            const auto f = std::find_if(kHelpers, kHelpers + kLibraryHelpers,
                                        [&](const Helper& g) { return arg == g.name; });
            if (f == kHelpers + kLibraryHelpers) {
                std::fprintf(stderr,
                             "usage: exact_math_check [exp log sin cos tan] [--threads N] [--hard FILE]\n");
                return 2;
            }
            chosen.push_back(f);
        }
    }
    if (chosen.empty()) {
        for (int h = 0; h < kLibraryHelpers; ++h) chosen.push_back(&kHelpers[h]);
    }
    std::ofstream hardFile;
    if (!hardPath.empty()) hardFile.open(hardPath);
    bool allRight = true;
    std::printf("block forms built for %s\n", InstructionSet());
    std::printf(
        "function     checked      proven   fallbacks  near tie  scalar wrong  block wrong  seconds\n");
    for (const Helper* f : chosen) {
        const auto start = std::chrono::steady_clock::now();
        const Counts c = CheckAll(*f, threads);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("%-8s %11llu %11llu %11llu %9zu %13llu %12llu %8.0f\n", f->name,
                    static_cast<unsigned long long>(c.checked), static_cast<unsigned long long>(c.proven),
                    static_cast<unsigned long long>(c.checked - c.proven), c.hard.size(),
                    static_cast<unsigned long long>(c.scalarWrong),
                    static_cast<unsigned long long>(c.blockWrong), took.count());
        std::fflush(stdout);
        allRight = allRight && c.scalarWrong == 0 && c.blockWrong == 0;
        if (hardFile.is_open()) WriteHard(hardFile, *f, c.hard);
    }
    return allRight ? 0 : 1;
}
