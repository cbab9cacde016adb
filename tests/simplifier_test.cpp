// The simplified formula against the exact one on random programs. With all 17 digits only the
// algebra and rounding part them, so they agree closely on rows where the algebra is the
// arithmetic: every part of the exact formula a number, and no sum or difference that cancels
// most of its digits. Closely, not exactly: a helper's argument may round to the neighbouring float,
// which tan and exp magnify. Elsewhere cancelling may change the value: x / x is 1 where x is NaN,
// and tanh of that NaN a number.
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

// Every part of the formula a number on the row, and no sum that cancels three digits or more.
bool AlgebraHolds(const Expression& formula, const float* x) {
    bool holds = true;
    Fold<long double>(formula, [&](const Node& node, const long double* operand) {
        Expression part;  // the node on its operands' values
        for (int i = 0; i < ArityOf(node.operation); ++i)
            part.nodes.push_back(NumberExpression(operand[i]).Root());
        part.nodes.push_back(node);
        const long double value = Evaluate<long double>(part, x);
        const bool sum = node.operation == Operation::Add || node.operation == Operation::Sub;
        holds = holds && std::isfinite(value) &&
                !(sum && std::fabs(value) < 1e-3L * std::fmax(std::fabs(operand[0]), std::fabs(operand[1])));
        return value;
    });
    return holds;
}

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
        for (std::size_t r = 0; r < kRows; ++r) {
            const float* row = rows.data() + r * static_cast<std::size_t>(columns);
            if (!AlgebraHolds(formula, row)) continue;
            const Agreement agreement = Compare(formula, simplified, row, columns, 1);
            ASSERT_TRUE(agreement.simplifiedNaNs == 0 && agreement.maxRelative < 1e-3)
                << "seed " << kSeed << ", program " << i << ", row " << r << ": relative difference "
                << agreement.maxRelative << (agreement.simplifiedNaNs ? ", NaN" : "") << "\n  "
                << FormulaText(formula) << "\n  " << FormulaText(simplified, {{}, 17});
        }
    }
}

}  // namespace
