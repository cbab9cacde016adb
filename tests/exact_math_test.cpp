// The helpers' exp, log, sin, cos and tan, scalar and block form, bit for bit against the math
// library's double result rounded to float, on chosen arguments: the edges of every range the host
// computation switches on, the hardest reductions, special values, and arguments whose result lies
// nearest a float rounding boundary or that a less careful computation gets wrong
// (tests/data/exact_math_hard.txt). bench/exact_math_check covers every float.
#include "compile/activation.h"
#include "compile/exact_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::uint32_t Bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

float FromBits(std::uint32_t b) {
    float v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

std::string Hex(std::uint32_t bits) {
    std::ostringstream text;
    text << std::hex << std::setw(8) << std::setfill('0') << bits;
    return text.str();
}

float Expected(const Helper& f, float x) {
    volatile double exact = f.library(static_cast<double>(x));
    return static_cast<float>(exact);
}

// x and its two neighbours.
void AddAround(std::vector<float>& values, float x) {
    values.insert(values.end(), {std::nextafter(x, -INFINITY), x, std::nextafter(x, INFINITY)});
}

// Lines: function name, argument bits in hex, what kind of case; '#' starts a comment.
std::vector<float> HardArguments(const std::string& name) {
    std::ifstream file(TARVO_SOURCE_DIR "/tests/data/exact_math_hard.txt");
    std::vector<float> values;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line.substr(0, line.find('#')));
        std::string function;
        std::uint32_t bits;
        if (fields >> function >> std::hex >> bits && function == name) values.push_back(FromBits(bits));
    }
    return values;
}

// Both signs of the edges the data file lists, ties of the rounding to a quadrant or a power of two,
// near-multiples of pi/2, NaNs and a spread of ordinary and random arguments; each with its neighbours.
std::vector<float> ChosenArguments() {
    std::vector<float> values;
    for (float edge : HardArguments("edge")) {
        AddAround(values, edge);
        AddAround(values, -edge);
    }
    // Ties of the rounding to a quadrant or a power of two, and near-multiples of pi/2.
    constexpr double kQuarterPi = 0.78539816339744830962, kLn2 = 0.69314718055994530942;
    for (int j = 1; j < 300; ++j) {
        AddAround(values, static_cast<float>(j * kQuarterPi));
        AddAround(values, static_cast<float>(-j * kQuarterPi));
        AddAround(values, static_cast<float>((j - 150.5) * kLn2));
    }
    for (int e = -126; e < 128; e += 7) AddAround(values, std::ldexp(1.0f, e));
    std::mt19937 random(5);
    std::uniform_real_distribution<float> ordinary(-20.0f, 20.0f);
    for (int i = 0; i < 500; ++i) values.push_back(ordinary(random));
    for (int i = 0; i < 500; ++i) values.push_back(FromBits(static_cast<std::uint32_t>(random())));
    return values;
}

void ExpectLibraryBits(const Helper& f, const std::vector<float>& arguments, const char* what) {
    std::vector<float> block(arguments.size());
    f.block(arguments.data(), block.data(), arguments.size());
    std::vector<float> inPlace = arguments;
    f.block(inPlace.data(), inPlace.data(), inPlace.size());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::uint32_t expected = Bits(Expected(f, arguments[i]));
        const std::string at = std::string(f.name) + "(" + Hex(Bits(arguments[i])) + ") " + what;
        EXPECT_EQ(Hex(Bits(f.compute(arguments[i]))), Hex(expected)) << at << ", scalar";
        EXPECT_EQ(Hex(Bits(block[i])), Hex(expected)) << at << ", block";
        EXPECT_EQ(Hex(Bits(inPlace[i])), Hex(expected)) << at << ", block in place";
    }
}

TEST(ExactMath, ChosenAndHardArgumentsGiveTheLibraryBits) {
    const std::vector<float> chosen = ChosenArguments();
    for (const Helper& f : std::vector<Helper>(kHelpers, kHelpers + kLibraryHelpers)) {
        ExpectLibraryBits(f, chosen, "chosen");
        const std::vector<float> hard = HardArguments(f.name);
        EXPECT_GE(hard.size(), 16u) << "tests/data/exact_math_hard.txt not found or cut short";
        ExpectLibraryBits(f, hard, "hard");
    }
}

}  // namespace

// The tanh and sigmoid tables interpolate between their entries: within the table's step of the
// function (of its value at the table's end beyond it), between the entries and at both ends.
TEST(Activation, TablesStayCloseToTheFunction) {
    std::vector<double> points = {4.95, -4.95, 2.95};
    for (double x = -6.05; x < 6.1; x += 0.173) points.push_back(x);
    for (double x : points) {
        const auto f = static_cast<float>(x);
        EXPECT_NEAR(ComputeTanh(f), std::tanh(f), 6e-3) << x;
        EXPECT_NEAR(ComputeSigmoid(f), 1 / (1 + std::exp(-f)), 0.025) << x;
    }
    const ActivationTables& t = Activation();
    for (int i = 0; i + 1 < kActivationTableLength; ++i) {
        EXPECT_EQ(t.f_d[i], t.f_f[i + 1] - t.f_f[i]) << i;
        EXPECT_EQ(t.g_d[i], t.g_f[i + 1] - t.g_f[i]) << i;
    }
}
