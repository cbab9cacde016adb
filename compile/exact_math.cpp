#include "compile/exact_math.h"

#include <cmath>

#include "compile/activation.h"

const ExactFunction kExactFunctions[kTan + 1] = {
    {"exp", kExp, ExactExp, ExactExpBlock, [](double x) { return std::exp(x); }},
    {"log", kLog, ExactLog, ExactLogBlock, [](double x) { return std::log(x); }},
    {"sin", kSin, ExactSin, ExactSinBlock, [](double x) { return std::sin(x); }},
    {"cos", kCos, ExactCos, ExactCosBlock, [](double x) { return std::cos(x); }},
    {"tan", kTan, ExactTan, ExactTanBlock, [](double x) { return std::tan(x); }},
};

float RoundThroughDouble(double value) {
    volatile double rounded = value;
    return static_cast<float>(rounded);
}

void ApplyHelperBlock(HelperIndex helper, const float* in, float* out, std::size_t n) {
    switch (helper) {
        case kExp:
            return ExactExpBlock(in, out, n);
        case kLog:
            return ExactLogBlock(in, out, n);
        case kSin:
            return ExactSinBlock(in, out, n);
        case kCos:
            return ExactCosBlock(in, out, n);
        case kTan:
            return ExactTanBlock(in, out, n);
        // The tables interpolate in extended precision, which only the x87 unit has: one at a time.
        case kSigmoid:
            for (std::size_t i = 0; i < n; ++i) out[i] = ComputeSigmoid(in[i]);
            return;
        case kTanh:
            for (std::size_t i = 0; i < n; ++i) out[i] = ComputeTanh(in[i]);
            return;
        case kHelperCount:
            return;
    }
}
