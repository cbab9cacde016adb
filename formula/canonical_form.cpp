#include "formula/canonical_form.h"

#include <cmath>
#include <limits>

#include "formula/expression.h"

namespace {

template <class T>
int Order(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

// A smaller base first, then a higher power first, then the longer product first.
int CompareFactorLists(const std::vector<Factor>& a, const std::vector<Factor>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (const int order = CompareBases(a[i].base, b[i].base)) return order;
        if (const int order = Order(b[i].exponent, a[i].exponent)) return order;
    }
    return Order(b.size(), a.size());
}

Sum NaNSum() { return ConstantSum(std::numeric_limits<double>::quiet_NaN()); }

// NaN anywhere makes the whole value NaN.
Sum Checked(Sum sum) {
    bool nan = std::isnan(sum.constant);
    for (const Term& term : sum.terms) nan = nan || std::isnan(term.coefficient);
    return nan ? NaNSum() : sum;
}

bool AllFinite(const Sum& sum) {
    bool finite = std::isfinite(sum.constant);
    for (const Term& term : sum.terms) finite = finite && std::isfinite(term.coefficient);
    return finite;
}

// Products of the same base add their exponents; a base whose exponents cancel goes.
std::vector<Factor> MergedFactors(const std::vector<Factor>& a, const std::vector<Factor>& b) {
    std::vector<Factor> merged;
    std::size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        const int order = i == a.size() ? 1 : j == b.size() ? -1 : CompareBases(a[i].base, b[j].base);
        if (order < 0) {
            merged.push_back(a[i++]);
        } else if (order > 0) {
            merged.push_back(b[j++]);
        } else {
            const std::int64_t exponent = a[i].exponent + b[j].exponent;
            if (exponent != 0) merged.push_back({a[i].base, exponent});
            ++i, ++j;
        }
    }
    return merged;
}

// A value that is not a constant as one term: a sum of two or more parts becomes its first
// coefficient times a group that starts with 1.
Term AsTerm(const Sum& sum) {
    if (sum.terms.size() == 1 && sum.constant == 0) return sum.terms[0];
    double lead = sum.terms[0].coefficient;
    Sum group = Scaled(sum, 1 / lead);
    if (!AllFinite(group) || group.terms.size() != sum.terms.size()) lead = 1, group = sum;
    return {lead, {{{Base::Group, 0, std::make_shared<const Sum>(std::move(group))}, 1}}};
}

Sum FromTerm(Term term) {
    if (std::isnan(term.coefficient)) return NaNSum();
    if (term.coefficient == 0 || term.factors.empty()) return ConstantSum(term.coefficient);
    const Factor& only = term.factors[0];
    if (term.factors.size() == 1 && only.exponent == 1 && only.base.kind == Base::Group)
        return Scaled(*only.base.sum, term.coefficient);
    return {{std::move(term)}, 0};
}

}  // namespace

int CompareBases(const Base& a, const Base& b) {
    if (const int order = Order(a.kind, b.kind)) return order;
    if (const int order = Order(a.index, b.index)) return order;
    return a.kind == Base::Input ? 0 : CompareSums(*a.sum, *b.sum);
}

int CompareSums(const Sum& a, const Sum& b) {
    for (std::size_t i = 0; i < a.terms.size() && i < b.terms.size(); ++i) {
        if (const int order = CompareFactorLists(a.terms[i].factors, b.terms[i].factors)) return order;
        if (const int order = Order(a.terms[i].coefficient, b.terms[i].coefficient)) return order;
    }
    if (const int order = Order(a.terms.size(), b.terms.size())) return order;
    return Order(a.constant, b.constant);
}

Sum ConstantSum(double value) { return {{}, value}; }

Sum InputSum(std::uint32_t input) { return {{{1, {{{Base::Input, input}, 1}}}}, 0}; }

Sum CallSum(std::uint8_t helper, const Sum& argument) {
    if (argument.IsConstant())
        return ConstantSum(
            Evaluate<double>(Apply(Operation::Call, NumberExpression(argument.constant), helper), nullptr));
    return {{{1, {{{Base::Call, helper, std::make_shared<const Sum>(argument)}, 1}}}}, 0};
}

Sum Plus(const Sum& a, const Sum& b) {
    Sum sum;
    std::size_t i = 0, j = 0;
    while (i < a.terms.size() || j < b.terms.size()) {
        const int order = i == a.terms.size()   ? 1
                          : j == b.terms.size() ? -1
                                                : CompareFactorLists(a.terms[i].factors, b.terms[j].factors);
        if (order < 0) {
            sum.terms.push_back(a.terms[i++]);
        } else if (order > 0) {
            sum.terms.push_back(b.terms[j++]);
        } else {
            const double coefficient = a.terms[i].coefficient + b.terms[j].coefficient;
            if (coefficient != 0) sum.terms.push_back({coefficient, a.terms[i].factors});
            ++i, ++j;
        }
    }
    sum.constant = a.constant + b.constant;
    return Checked(std::move(sum));
}

// 0 * x is 0; a zero constant beside terms is no part of the value and stays 0.
Sum Scaled(const Sum& a, double factor) {
    if (std::isnan(factor)) return NaNSum();
    Sum sum;
    for (const Term& term : a.terms) {
        const double coefficient = term.coefficient * factor;
        if (coefficient != 0) sum.terms.push_back({coefficient, term.factors});
    }
    sum.constant = a.constant == 0 && !a.IsConstant() ? 0 : a.constant * factor;
    return Checked(std::move(sum));
}

Sum Times(const Sum& a, const Sum& b) {
    if (a.IsConstant()) return Scaled(b, a.constant);
    if (b.IsConstant()) return Scaled(a, b.constant);
    const Term left = AsTerm(a), right = AsTerm(b);
    return FromTerm({left.coefficient * right.coefficient, MergedFactors(left.factors, right.factors)});
}

Sum Reciprocal(const Sum& a) { return Raised(a, -1); }

// x^0 is 1, as for every x the simplified form stands for.
Sum Raised(const Sum& a, std::int64_t exponent) {
    const auto power = [exponent](double x) {
        return exponent == -1 ? 1 / x : std::pow(x, static_cast<double>(exponent));
    };
    if (exponent == 0) return ConstantSum(1);
    if (exponent == 1) return a;
    if (a.IsConstant()) return ConstantSum(power(a.constant));
    Term term = AsTerm(a);
    term.coefficient = power(term.coefficient);
    for (Factor& factor : term.factors) factor.exponent *= exponent;
    return FromTerm(std::move(term));
}
