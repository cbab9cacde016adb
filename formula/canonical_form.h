#pragma once
// The simplifier's algebra: a value as a sum of terms plus a constant, each term a coefficient
// times a product of factors with nonzero integer exponents, in double precision. A factor's base
// is an input, a helper call (its argument a sum in this form) or a group (a sum of two or more
// parts, as in (x0 + 1)^2 or 1 / (x0 + x1)).
//
// The form is unique, so that equal parts meet and cancel:
// - terms are ordered (below) and no two have the same factors; no coefficient is 0;
// - factors are ordered by base and no two have the same base;
// - a group's first coefficient is 1 (its content goes to the term's coefficient), so 2 * x0 + 2
//   and x0 + 1 are one base;
// - no term is a lone group to the first power: c * (a + b) is always c * a + c * b;
// - a value with a NaN anywhere is the constant NaN, which is what any such formula computes.
// Products of two groups are not multiplied out, and helpers know no identities.
#include <cstdint>
#include <memory>
#include <vector>

struct Sum;

struct Base {
    enum Kind : std::uint8_t { Input, Call, Group } kind;
    std::uint32_t index = 0;           // Input: the input; Call: the HelperIndex
    std::shared_ptr<const Sum> sum{};  // Call: the argument; Group: the sum
};

struct Factor {
    Base base;
    std::int64_t exponent;
};

struct Term {
    double coefficient;
    std::vector<Factor> factors;  // never empty
};

struct Sum {
    std::vector<Term> terms;
    double constant = 0;

    bool IsConstant() const { return terms.empty(); }
};

// Bases: inputs by index, then calls by helper and argument, then groups. Terms: by their factors
// in order, a smaller base first and a higher power first (x0^2, x0 * x1, x0, x1^2, x1): read as
// a polynomial is usually written, with the constant last.
int CompareBases(const Base& a, const Base& b);
int CompareSums(const Sum& a, const Sum& b);

Sum ConstantSum(double value);
Sum InputSum(std::uint32_t input);
Sum CallSum(std::uint8_t helper, const Sum& argument);  // a constant argument is folded

Sum Plus(const Sum& a, const Sum& b);
Sum Scaled(const Sum& a, double factor);
Sum Times(const Sum& a, const Sum& b);
Sum Reciprocal(const Sum& a);
Sum Raised(const Sum& a, std::int64_t exponent);
