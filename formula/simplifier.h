#pragma once
// A formula simplified for people, and how far it is from the exact one.
//
// The simplified formula is the exact formula (formula.h) read as algebra over real numbers in
// double precision and written in the canonical form of canonical_form.h: constants folded (helpers
// of constants through a float, as the program computes them), like terms collected, x * x as
// x^2, x / x and x - x gone, constant factors multiplied into sums, negations merged into the
// signs. A stack fault is a NaN constant, so a formula that faults reads NaN where the fault
// reaches the value.
//
// Written out, a sum is its terms in order and then its constant, except that the first positive
// one of them leads (x1 - x0, 1 - x0); a term that is minus something follows as " - ". Numbers
// have at most `digits` significant digits (6 for people), and the expression holds them as printed
// them, so its value is that of its text. Two choices make the text shorter:
// - terms whose coefficients are all c or -c (c not 1) print as c * (...);
// - a coefficient moves into a group of its term when that needs fewer digits:
//   x2 * (2.5 * x0 + x1) rather than 2.5 * x2 * (x0 + 0.4 * x1).
//
// Cancelling is algebra, not floating point: x / x is 1 also where x is 0 or NaN, x - x and 0 * x
// are 0 also where x is infinite, x^0 is 1, and x - x is 0 where the program's rounding leaves a
// trace. Where the exact formula is NaN or infinite for such a reason (or a helper turns such a NaN
// into a number: tanh of NaN is -0.99475), or where a trace of rounding matters, the two differ;
// Compare measures by how much on given rows. Nothing else changes the meaning beyond rounding.
#include <cstddef>
#include <optional>

#include "formula/expression.h"

// Formulas of more nodes are left as they are: the rewrite takes time quadratic in the size.
constexpr std::size_t kMaxSimplifiedNodes = 2000;

// No value for a formula of more than kMaxSimplifiedNodes nodes. Print the result with the same
// digits (TextStyle): FormulaText(*Simplify(formula), {names, 6}).
std::optional<Expression> Simplify(const Expression& formula, int digits = 6);

// How far apart two formulas are on rows: the exact one as EvaluateFormula computes it, the
// simplified one in double precision rounded to float as the program rounds its result.
struct Agreement {
    std::size_t rows = 0;
    std::size_t exactNaNs = 0;       // rows where the exact formula alone is NaN
    std::size_t simplifiedNaNs = 0;  // rows where the simplified one alone is NaN
    double maxAbsolute = 0;          // over the rows where both are numbers; infinity where only one is
    double maxRelative = 0;          // relative to the larger magnitude of the two
};

// `rows`: `count` rows of `stride` floats, the data inputs first.
Agreement Compare(const Expression& exact, const Expression& simplified, const float* rows,
                  std::size_t stride, std::size_t count);
