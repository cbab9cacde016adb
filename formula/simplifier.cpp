#include "formula/simplifier.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "formula/canonical_form.h"
#include "formula/formula.h"

namespace {

Expression Product(std::vector<Expression> factors) {
    Expression product = std::move(factors[0]);
    for (std::size_t i = 1; i < factors.size(); ++i)
        product = Combine(Operation::Mul, std::move(product), std::move(factors[i]));
    return product;
}

struct Coefficient {
    double number = 1;
    bool divides = false;  // the term is divided by `number`
};

// Where a term's coefficient goes: in front, or into the first group to the power 1 or -1.
struct Placement {
    std::size_t factor;  // the group's factor; the term's factor count when in front
    double scale = 1;    // what the group's numbers are multiplied by
};

// The canonical form written out as an expression whose numbers have `digits` significant digits.
class FormWriter {
  public:
    explicit FormWriter(int digits) : digits_(digits) {}

    // The sum with every number multiplied by `scale` (positive).
    Expression SumForm(const Sum& sum, double scale) const {
        if (sum.IsConstant()) return NumberExpression(Rounded(sum.constant * scale));
        const double first = std::fabs(sum.terms[0].coefficient);
        const Coefficient factor = CoefficientOf(first * scale);
        bool common = sum.terms.size() > 1 && (factor.divides || factor.number != 1);
        for (const Term& term : sum.terms) common = common && std::fabs(term.coefficient) == first;
        if (!common) return Parts(sum, scale, false, true);
        Expression form =
            factor.divides
                ? Combine(Operation::Div, Parts(sum, 1, true, false), NumberExpression(factor.number))
                : Combine(Operation::Mul, NumberExpression(factor.number), Parts(sum, 1, true, false));
        const double constant = sum.constant * scale;
        if (constant == 0) return form;
        return Combine(constant < 0 ? Operation::Sub : Operation::Add, std::move(form),
                       NumberExpression(Rounded(std::fabs(constant))));
    }

  private:
    std::string Text(double value) const {
        char text[40];
        std::snprintf(text, sizeof text, "%.*g", digits_, value);
        return text;
    }

    // The number as printed.
    double Rounded(double value) const {
        return std::isfinite(value) ? std::strtod(Text(value).c_str(), nullptr) : value;
    }

    // A coefficient multiplies, or divides where its reciprocal is shorter: x0 / 3, not 0.333333 * x0.
    Coefficient CoefficientOf(double magnitude) const {
        const double direct = Rounded(magnitude), inverse = Rounded(1 / magnitude);
        const bool divides = std::isfinite(magnitude) && magnitude != 0 && std::isfinite(inverse) &&
                             inverse != 0 && Text(inverse).size() < Text(direct).size();
        return {divides ? inverse : direct, divides};
    }

    // Characters a coefficient adds to a term ("2.5 * ", " / 3"), and a constant (" + 2.5").
    std::size_t CoefficientLength(double value) const {
        const Coefficient coefficient = CoefficientOf(std::fabs(value));
        return !coefficient.divides && coefficient.number == 1 ? 0 : Text(coefficient.number).size() + 3;
    }

    std::size_t ConstantLength(double value) const {
        return value == 0 ? 0 : Text(std::fabs(value)).size() + 3;
    }

    // The characters a group's numbers take when scaled by `scale`.
    std::size_t NumbersLength(const Sum& sum, double scale) const {
        std::size_t length = ConstantLength(sum.constant * scale);
        for (const Term& term : sum.terms) length += CoefficientLength(term.coefficient * scale);
        return length;
    }

    // The terms (`unit`: with their signs alone) and the constant, the first positive one leading
    // and the rest in order: x1 - x0 rather than -x0 + x1.
    Expression Parts(const Sum& sum, double scale, bool unit, bool withConstant) const {
        const std::size_t count = sum.terms.size();
        std::vector<double> coefficients;
        for (const Term& term : sum.terms)
            coefficients.push_back(unit ? std::copysign(1.0, term.coefficient) : term.coefficient * scale);
        const double constant = withConstant ? sum.constant * scale : 0;
        std::size_t lead = 0;
        while (lead < count && coefficients[lead] < 0) ++lead;
        if (lead == count && !(constant > 0)) lead = 0;
        const auto part = [&](std::size_t i) {
            return i == count ? NumberExpression(Rounded(std::fabs(constant)))
                              : TermForm(sum.terms[i], std::fabs(coefficients[i]));
        };
        Expression form = part(lead);
        if (lead < count && coefficients[lead] < 0) form = Apply(Operation::Negate, std::move(form));
        for (std::size_t i = 0; i <= count; ++i) {
            const double sign = i == count ? constant : coefficients[i];
            if (i == lead || sign == 0) continue;
            form = Combine(sign < 0 ? Operation::Sub : Operation::Add, std::move(form), part(i));
        }
        return form;
    }

    Expression BaseForm(const Base& base) const {
        switch (base.kind) {
            case Base::Input:
                return InputExpression(base.index);
            case Base::Call:
                return Apply(Operation::Call, SumForm(*base.sum, 1), static_cast<std::int32_t>(base.index));
            default:
                return SumForm(*base.sum, 1);
        }
    }

    Placement PlaceCoefficient(const Term& term, double magnitude) const {
        Placement best{term.factors.size()};
        long saved = 0;
        for (const std::int64_t exponent : {1, -1}) {
            for (std::size_t i = 0; i < term.factors.size(); ++i) {
                const Factor& factor = term.factors[i];
                if (factor.base.kind != Base::Group || factor.exponent != exponent) continue;
                const double scale = exponent == 1 ? magnitude : 1 / magnitude;
                const long gain =
                    static_cast<long>(CoefficientLength(magnitude) + NumbersLength(*factor.base.sum, 1)) -
                    static_cast<long>(NumbersLength(*factor.base.sum, scale));
                if (gain > saved) saved = gain, best = {i, scale};
                break;
            }
        }
        return best;
    }

    // The term without its sign: magnitude * numerator factors / denominator factors.
    Expression TermForm(const Term& term, double magnitude) const {
        const Placement placement = PlaceCoefficient(term, magnitude);
        std::vector<Expression> above, below;
        for (std::size_t i = 0; i < term.factors.size(); ++i) {
            const Factor& factor = term.factors[i];
            Expression form =
                i == placement.factor ? SumForm(*factor.base.sum, placement.scale) : BaseForm(factor.base);
            const std::int64_t power = factor.exponent < 0 ? -factor.exponent : factor.exponent;
            if (power != 1) form = Apply(Operation::Power, std::move(form), static_cast<std::int32_t>(power));
            (factor.exponent > 0 ? above : below).push_back(std::move(form));
        }
        const Coefficient coefficient =
            placement.factor < term.factors.size() ? Coefficient{} : CoefficientOf(magnitude);
        if (coefficient.divides) below.insert(below.begin(), NumberExpression(coefficient.number));
        if ((!coefficient.divides && coefficient.number != 1) || above.empty())
            above.insert(above.begin(), NumberExpression(coefficient.divides ? 1 : coefficient.number));
        Expression form = Product(std::move(above));
        return below.empty() ? form : Combine(Operation::Div, std::move(form), Product(std::move(below)));
    }

    int digits_;
};

Sum CanonicalForm(const Node& node, const Sum* operand) {
    switch (node.operation) {
        case Operation::Number:
            return ConstantSum(static_cast<double>(node.number));
        case Operation::Input:
            return InputSum(node.input);
        case Operation::Fault:
            return ConstantSum(std::numeric_limits<double>::quiet_NaN());
        case Operation::Add:
            return Plus(operand[0], operand[1]);
        case Operation::Sub:
            return Plus(operand[0], Scaled(operand[1], -1));
        case Operation::Mul:
            return Times(operand[0], operand[1]);
        case Operation::Div:
            return Times(operand[0], Reciprocal(operand[1]));
        case Operation::Negate:
            return Scaled(operand[0], -1);
        case Operation::Power:
            return Raised(operand[0], node.exponent);
        case Operation::Call:
            break;
    }
    return CallSum(node.helper, operand[0]);
}

}  // namespace

std::optional<Expression> Simplify(const Expression& formula, int digits) {
    if (formula.nodes.size() > kMaxSimplifiedNodes) return std::nullopt;
    return FormWriter(digits).SumForm(Fold<Sum>(formula, CanonicalForm), 1);
}

Agreement Compare(const Expression& exact, const Expression& simplified, const float* rows,
                  std::size_t stride, std::size_t count) {
    Agreement agreement{count};
    for (std::size_t r = 0; r < count; ++r) {
        const float* x = rows + r * stride;
        const double a = EvaluateFormula(exact, x);
        const double b = static_cast<float>(Evaluate<double>(simplified, x));
        if (std::isnan(a) || std::isnan(b)) {
            agreement.exactNaNs += std::isnan(a) && !std::isnan(b) ? 1 : 0;
            agreement.simplifiedNaNs += std::isnan(b) && !std::isnan(a) ? 1 : 0;
            continue;
        }
        if (a == b) continue;
        const double absolute = std::fabs(a - b);
        const double relative =
            std::isinf(absolute) ? absolute : absolute / std::fmax(std::fabs(a), std::fabs(b));
        agreement.maxAbsolute = std::fmax(agreement.maxAbsolute, absolute);
        agreement.maxRelative = std::fmax(agreement.maxRelative, relative);
    }
    return agreement;
}
