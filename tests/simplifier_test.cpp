// The simplified formula against the exact one on random programs. With all 17 digits only the
// algebra and double rounding part them, so on rows of moderate numbers (no zeros, infinities or
// NaN, where cancelling x / x or x - x changes the value) they agree to float precision.
#include "formula/simplifier.h"

#include <gtest/gtest.h>

#include <random>

#include "formula/formula.h"
#include "formula/formula_printer.h"
#include "tests/random_programs.h"

namespace {

constexpr unsigned kSeed = 20240801;
constexpr int kPrograms = 5000;
constexpr std::size_t kRows = 8;

float Moderate(std::mt19937& random) { return std::uniform_real_distribution<float>(-3, 3)(random); }

TEST(Simplifier, AgreesWithTheExactFormulaOnRandomPrograms) {
    std::mt19937 random(kSeed);
    for (int i = 0; i < kPrograms; ++i) {
        const int columns = std::uniform_int_distribution<int>(1, 6)(random);
        const std::vector<std::uint8_t> program = RandomProgram(random, columns, true);
        const auto inputs = static_cast<std::size_t>(std::uniform_int_distribution<int>(0, columns)(random));
        std::vector<float> rows;
        for (std::size_t r = 0; r < kRows * static_cast<std::size_t>(columns); ++r)
            rows.push_back(Moderate(random));
        for (std::size_t r = 1; r < kRows; ++r)  // every row holds the same constants
            std::copy_n(rows.begin() + static_cast<long>(inputs), columns - static_cast<long>(inputs),
                        rows.begin() + static_cast<long>(r * columns + inputs));
        const Expression formula = MakeFormula(program, rows, inputs);
        const Expression simplified = *Simplify(formula, 17);
        const Agreement agreement = Compare(formula, simplified, rows.data(), columns, kRows);
        ASSERT_TRUE(agreement.exactNaNs == 0 && agreement.simplifiedNaNs == 0 && agreement.maxRelative < 1e-6)
            << "seed " << kSeed << ", program " << i << ": relative difference " << agreement.maxRelative
            << ", NaN in one only " << agreement.exactNaNs + agreement.simplifiedNaNs << "\n  "
            << FormulaText(formula) << "\n  " << FormulaText(simplified, {{}, 17});
    }
}

}  // namespace
