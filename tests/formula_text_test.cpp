// Formula text of hand-made programs, and rows for --apply against the rows learning makes.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "compile/activation.h"
#include "compile/opcodes.h"
#include "compile/training_rows.h"
#include "formula/apply_rows.h"
#include "formula/formula.h"
#include "formula/formula_printer.h"

namespace {

struct Instruction {
    std::uint8_t opcode;
    std::uint8_t column;
};

std::vector<std::uint8_t> Program(std::initializer_list<Instruction> instructions, int loadsFirst = 0) {
    std::vector<std::uint8_t> program;
    for (int i = 0; i < loadsFirst; ++i) program.insert(program.end(), {OP_LOAD, 0, 0});
    for (const Instruction& at : instructions) program.insert(program.end(), {at.opcode, 0, at.column});
    return program;
}

constexpr float kInf = std::numeric_limits<float>::infinity();

struct TextCase {
    const char* name;
    std::vector<std::uint8_t> program;
    std::vector<float> values;  // x0, x1, x2 are inputs, the rest constants
    const char* text;
};

TEST(FormulaText, OfHandMadePrograms) {
    BuildTanhTable();
    BuildSigmoidTable();
    const std::vector<float> c{0, 0, 0, 2, 3, -2.5f, 0.1f, 0.3f, kInf, 0};
    // clang-format off
    const TextCase cases[] = {
        {"a sum binds looser", Program({{OP_LOAD, 0}, {OP_ADD, 1}, {OP_MUL, 2}}), c, "(x0 + x1) * x2"},
        {"a product binds tighter", Program({{OP_LOAD, 0}, {OP_MUL, 1}, {OP_SUBP, 2}}), c, "x0 * x1 - x2"},
        {"equal ranks from the left", Program({{OP_LOAD, 0}, {OP_SUB, 1}, {OP_ADD, 2}, {OP_DIVP, 0}, {OP_MUL, 1}}), c,
         "(x0 - x1 + x2) / x0 * x1"},
        {"a negative operand", Program({{OP_LOAD, 0}, {OP_MUL, 5}}), c, "x0 * (-2.5)"},
        {"dead instructions", Program({{OP_LOAD, 0}, {OP_ADD, 1}, {OP_NOP, 0}, {OP_LOAD, 2}, {OP_DIV, 0}}), c, "x2 / x0"},
        {"helpers", Program({{OP_LOAD, 0}, {OP_ADD, 1}, {OP_TANH, 0}, {OP_MUL, 2}, {OP_SIGMOID, 0}}), c,
         "sigmoid(tanh(x0 + x1) * x2)"},
        {"a helper of an input restarts", Program({{OP_LOAD, 0}, {OP_LOG_INPUT, 1}, {OP_SUB, 0}}), c, "log(x1) - x0"},
        {"constants fold", Program({{OP_LOAD, 3}, {OP_MULP, 4}, {OP_ADD, 0}}), c, "6 + x0"},
        {"through a helper", Program({{OP_LOAD, 9}, {OP_EXP, 0}, {OP_SUB, 3}, {OP_MUL, 1}}), c, "-1 * x1"},
        {"in extended precision", Program({{OP_LOAD, 6}, {OP_MUL, 7}, {OP_ADD, 0}}), c,
         "0.030000001639127749087 + x0"},
        {"not after an input", Program({{OP_LOAD, 0}, {OP_ADD, 3}, {OP_ADD, 4}}), c, "x0 + 2 + 3"},
        {"to infinity and NaN", Program({{OP_LOAD, 8}, {OP_SUB, 8}, {OP_ADD, 0}}), c, "NaN + x0"},
        {"overflow", Program({}, 9), c, "NaN: stack overflow at instruction 9"},
        {"overflow inside", Program({{OP_ADD, 0}, {OP_TANH, 0}}, 9), c,
         "tanh((NaN: stack overflow at instruction 9) + x0)"},
        {"underflow", Program({{OP_MUL, 0}, {OP_ADD, 1}}), c, "(NaN: stack underflow at instruction 1) + x1"},
        {"underflow at the end", Program({{OP_NOP, 0}}), c, "NaN: stack underflow at the end of the program"},
    };
    // clang-format on
    for (const TextCase& test : cases) {
        const Formula formula = MakeFormula(AnalyseProgram(test.program), test.values, 3);
        EXPECT_EQ(FormulaText(formula), test.text) << test.name;
    }
}

// Where every data row has its target, --apply evaluates the very rows learning scores.
TEST(ApplyRows, AreTheTrainingRowsWhereEveryRowHasATarget) {
    const DataTable table{{1, 2, 10},  {3, 4, 20},   {5, 6, 30},  {7, 8, 40},
                          {9, 10, 50}, {11, 12, 60}, {13, 14, 70}};
    const std::vector<float> constants{0.5f, -1};
    struct Kind {
        std::int32_t type, omega, sigma;
    };
    for (const Kind kind :
         {Kind{Regression, 0, 0}, Kind{Classifier, 2, 1}, Kind{Filter, 1, 0}, Kind{Trend, 1, 1}}) {
        CSettingsSerializer settings{};
        std::tie(settings.type, settings.omega, settings.sigma) = std::tie(kind.type, kind.omega, kind.sigma);
        std::vector<std::vector<float>> training;
        std::int32_t inputCount = 0;
        PrepareTrainingRows(table, settings, training, inputCount);
        const PreparedRows rows =
            PrepareApplyRows(table, settings, static_cast<std::size_t>(inputCount), constants, "t");
        std::vector<std::vector<float>> applied;
        for (std::size_t i = 0; i < rows.count; ++i) {
            const auto row = rows.callRows.begin() + static_cast<std::ptrdiff_t>(i * rows.stride);
            applied.emplace_back(row, row + inputCount);
            applied.back().push_back(rows.targets[i].value_or(-99));
            EXPECT_TRUE(std::equal(constants.begin(), constants.end(), row + inputCount));
        }
        EXPECT_EQ(applied, training) << "type " << settings.type;
    }
}

}  // namespace
