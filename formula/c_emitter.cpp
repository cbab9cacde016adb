#include "formula/c_emitter.h"

#include <cmath>

#include "compile/activation.h"
#include "compile/helpers.h"
#include "formula/formula_printer.h"
#include "formula/number_text.h"

namespace {

// A literal of exactly the number: a float literal where the number is a float.
std::string Literal(long double number) {
    if (std::isnan(number)) return std::signbit(number) ? "-NAN" : "NAN";
    if (std::isinf(number)) return number < 0 ? "-INFINITY" : "INFINITY";
    std::string text = ShortestText(number);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text + (IsFloat(number) ? "f" : "L");
}

std::string Table(const char* name, const float* values) {
    std::string text = "static const float tarvo_" + std::string(name) + "[100] = {";
    for (int i = 0; i < kActivationTableLength; ++i) {
        text += (i % 6 == 0 ? "\n    " : " ") + Literal(values[i]) + ",";
    }
    return text + "\n};\n";
}

const char kSigmoidFunction[] =
    "static float tarvo_sigmoid(float a)\n"
    "{\n"
    "    float xd;\n"
    "    int i;\n"
    "    if (a < -5.0f) return 0.0f;\n"
    "    if (a > 5.0f) return 1.0f;\n"
    "    if (a != a) return a;\n"
    "    xd = a * 10.0f;\n"
    "    i = (int)xd;\n"
    "    if (i + 50 >= 100) return 1.0f;\n"
    "    /* toward zero: below 0 the fraction is negative and extrapolates downward */\n"
    "    return (float)(tarvo_g_f[i + 50] + (long double)tarvo_g_d[i + 50] * (xd - (float)i) / 10.0L);\n"
    "}\n";

const char kTanhFunction[] =
    "static float tarvo_tanh(float a)\n"
    "{\n"
    "    const int nonNegative = a >= 0.0f; /* NaN takes the negative half */\n"
    "    const float xd = nonNegative ? a * tarvo_f_factor : -a * tarvo_f_factor;\n"
    "    float y = tarvo_f_f[99];\n"
    "    if (xd > -1.0f && xd < 99.0f) {\n"
    "        const int i = (int)xd;\n"
    "        y = (float)(tarvo_f_f[i] + (long double)tarvo_f_d[i] * (xd - (float)i));\n"
    "    }\n"
    "    return nonNegative ? y : -y;\n"
    "}\n";

std::string HelperSource(std::uint8_t helper) {
    const std::string name = kHelpers[helper].name;
    const ActivationTables& t = Activation();
    if (helper == kSigmoid) {
        return "\n/* The logistic function at -5.0, -4.9, ... 4.9 as the program builds it:\n"
               "   g_f[i] = (float)(1.0 / (1.0 + (float)exp(-(float)(-5.0 + i / 10.0)))),\n"
               "   g_d[i] = g_f[i + 1] - g_f[i], g_d[99] = 0. */\n" +
               Table("g_f", t.g_f) + Table("g_d", t.g_d) + "\n" + kSigmoidFunction;
    }
    if (helper == kTanh) {
        return "\n/* tanh on [0, 3) as the program builds it: f_factor = (float)(100 / 3.0),\n"
               "   f_f[i] = (float)tanh((float)i / f_factor), f_d[i] = f_f[i + 1] - f_f[i], f_d[99] = 0. */\n"
               "static const float tarvo_f_factor = " +
               Literal(t.f_factor) + ";\n" + Table("f_f", t.f_f) + Table("f_d", t.f_d) + "\n" + kTanhFunction;
    }
    return "\nstatic float tarvo_" + name + "(float a) { return (float)" + name + "(a); }\n";
}

// The statements that compute the formula into `v`: the postfix walk with one variable per stack
// position (v, v1, v2, ...), a leaf kept as an operand until an operation needs it in a variable.
class BodyWriter {
  public:
    struct Value {
        std::string leaf;     // a leaf's operand text; empty once the value is in its variable
        std::string comment;  // a fault's text
    };

    Value Leaf(const Node& node) {
        switch (node.operation) {
            case Operation::Input:
                return {"x[" + std::to_string(node.input) + "]", ""};
            case Operation::Number:
                return {Literal(node.number), ""};
            default:
                return {"-NAN", FaultText(node)};
        }
    }

    // `left` op= `right`, both at the top of the stack, `right` at position `at` + 1.
    void Operate(Operation operation, Value& left, const Value& right, std::size_t at) {
        static const char* const assignments[] = {" += ", " -= ", " *= ", " /= "};
        Store(left, at);
        const std::string operand = right.leaf.empty() ? Name(at + 1) : right.leaf;
        Line(Name(at) + assignments[static_cast<int>(operation) - static_cast<int>(Operation::Add)] + operand,
             right.comment);
    }

    // A helper call, a negation or a power of the value at `at`.
    void Unary(const Node& node, Value& operand, std::size_t at) {
        Store(operand, at);
        const std::string name = Name(at);
        if (node.operation == Operation::Call) {
            Line(name + " = tarvo_" + kHelpers[node.helper].name + "((float)" + name + ")", "");
        } else if (node.operation == Operation::Negate) {
            Line(name + " = -" + name, "");
        } else {
            Line(name + " = powl(" + name + ", " + std::to_string(node.exponent) + ")", "");
        }
    }

    // The value into its variable: `v` for position 0.
    void Store(Value& value, std::size_t at) {
        if (value.leaf.empty()) return;
        if (declared_.size() <= at) declared_.resize(at + 1);
        Line((declared_[at] ? "" : "long double ") + Name(at) + " = " + value.leaf, value.comment);
        declared_[at] = true;
        value = {};
    }

    const std::string& Text() const { return body_; }

  private:
    static std::string Name(std::size_t at) { return at == 0 ? "v" : "v" + std::to_string(at); }

    void Line(const std::string& statement, const std::string& comment) {
        body_ += "    " + statement + ";" + (comment.empty() ? "" : " /* " + comment + " */") + "\n";
    }

    std::string body_;
    std::vector<bool> declared_;
};

std::string Body(const Expression& formula) {
    BodyWriter writer;
    std::size_t depth = 0;  // values on the walk's stack
    BodyWriter::Value result = Fold<BodyWriter::Value>(
        formula, [&writer, &depth](const Node& node, BodyWriter::Value* operand) -> BodyWriter::Value {
            const int arity = ArityOf(node.operation);
            depth -= static_cast<std::size_t>(arity);
            if (arity == 0) {
                ++depth;
                return writer.Leaf(node);
            }
            if (arity == 2) {
                writer.Operate(node.operation, operand[0], operand[1], depth);
            } else {
                writer.Unary(node, operand[0], depth);
            }
            ++depth;
            return operand[0];
        });
    writer.Store(result, 0);
    return (ReadsInputs(formula) ? "" : "    (void)x;\n") + writer.Text() + "    return (float)v;\n";
}

std::string InputsComment(std::size_t inputCount, const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? " " : ", ") + name;
    if (inputCount == 0) return "It reads no data inputs.";
    if (inputCount == 1) return "x[0] is the data input" + list + ".";
    return "x[0] .. x[" + std::to_string(inputCount - 1) + "] are the data inputs" + list + ".";
}

}  // namespace

std::string CSource(const Expression& formula, std::size_t inputCount, const std::string& origin,
                    const std::vector<std::string>& names) {
    std::string text =
        "/* Made by tarvo-formula from " + origin + ":\n   y = " + FormulaText(formula, {names}) + "\n   " +
        InputsComment(inputCount, names) + (names.empty() ? "" : "\n  ") +
        " Arithmetic runs in long double (x87 extended precision\n"
        "   with gcc and clang on x86), every function through a float, as the program does. */\n"
        "#include <math.h>\n\nfloat tarvo_model(const float *x);\n";
    const std::vector<bool> used = HelpersUsed(formula);
    for (std::uint8_t helper = 0; helper < kHelperCount; ++helper) {
        if (used[helper]) text += HelperSource(helper);
    }
    return text + "\nfloat tarvo_model(const float *x)\n{\n" + Body(formula) + "}\n";
}
