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

std::string Operand(const Term& term) {
    return term.kind == Term::Input ? "x[" + std::to_string(term.input) + "]" : Literal(term.number);
}

std::string Statement(const FormulaStep& step) {
    switch (step.kind) {
        case StepKind::Add:
            return "v += " + Operand(step.operand);
        case StepKind::Sub:
            return "v -= " + Operand(step.operand);
        case StepKind::Mul:
            return "v *= " + Operand(step.operand);
        case StepKind::Div:
            return "v /= " + Operand(step.operand);
        default:
            return "v = tarvo_" + std::string(kHelpers[step.helper].name) + "((float)v)";
    }
}

std::string Body(const Formula& formula) {
    bool readsInputs = formula.start.kind == Term::Input;
    std::string body = "    long double v = ";
    if (formula.start.kind == Term::Fault) {
        body += "-NAN; /* " + FaultText(formula.start, formula.instructions) + " */\n";
    } else {
        body += Operand(formula.start) + ";\n";
    }
    for (const FormulaStep& step : formula.steps) {
        body += "    " + Statement(step) + ";\n";
        readsInputs = readsInputs || step.operand.kind == Term::Input;
    }
    return (readsInputs ? "" : "    (void)x;\n") + body + "    return (float)v;\n";
}

std::string InputsComment(std::size_t inputCount) {
    if (inputCount == 0) return "It reads no data inputs.";
    if (inputCount == 1) return "x[0] is the data input.";
    return "x[0] .. x[" + std::to_string(inputCount - 1) + "] are the data inputs.";
}

}  // namespace

std::string CSource(const Formula& formula, std::size_t inputCount, const std::string& origin) {
    std::string text =
        "/* Made by tarvo-formula from " + origin + ":\n   y = " + FormulaText(formula) + "\n   " +
        InputsComment(inputCount) +
        " Arithmetic runs in long double (x87 extended precision\n"
        "   with gcc and clang on x86), every function through a float, as the program does. */\n"
        "#include <math.h>\n\nfloat tarvo_model(const float *x);\n";
    bool used[kHelperCount] = {};
    for (const FormulaStep& step : formula.steps) {
        if (step.kind == StepKind::Helper) used[step.helper] = true;
    }
    for (std::uint8_t helper = 0; helper < kHelperCount; ++helper) {
        if (used[helper]) text += HelperSource(helper);
    }
    return text + "\nfloat tarvo_model(const float *x)\n{\n" + Body(formula) + "}\n";
}
