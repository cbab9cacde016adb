// Formula text of hand-made programs, and rows for --apply against the rows learning makes.
#include <gtest/gtest.h>

#include <boost/algorithm/string.hpp>
#include <limits>
#include <sstream>
#include <tuple>

#include "compile/activation.h"
#include "compile/opcodes.h"
#include "compile/training_rows.h"
#include "formula/apply_rows.h"
#include "formula/formula.h"
#include "formula/formula_printer.h"
#include "tests/console_case.h"

namespace {

// "load 0, add 1, ...": opcodes by name, each with the column it reads.
std::vector<std::uint8_t> Program(const std::string& text) {
    const std::vector<std::string> names = Words(
        "load add sub mul div addp subp mulp divp exp_input exp log_input log sin_input sin cos_input cos "
        "tan_input tan sigmoid_input sigmoid tanh_input tanh nop");
    std::vector<std::uint8_t> program;
    std::istringstream words(boost::replace_all_copy(text, ",", " "));
    for (std::string name; words >> name;) {
        int column = 0;
        words >> column;
        const auto opcode = std::find(names.begin(), names.end(), name) - names.begin();
        program.insert(program.end(),
                       {static_cast<std::uint8_t>(opcode), 0, static_cast<std::uint8_t>(column)});
    }
    return program;
}

TEST(FormulaText, OfHandMadePrograms) {
    BuildTanhTable();
    BuildSigmoidTable();
    const std::vector<float> values{0, 0, 0, 2, 3, -2.5f, 0.1f, 0.3f, std::numeric_limits<float>::infinity(),
                                    0};
    for (const auto& c : DataCases("formula_texts.txt")) {
        const Formula formula = MakeFormula(AnalyseProgram(Program(c[1])), values, 3);
        EXPECT_EQ(FormulaText(formula), c[2]) << c[0];
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
