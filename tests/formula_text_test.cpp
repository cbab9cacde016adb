// Formula texts of hand-made programs, exact against tests/data/formula_texts.txt, exact and
// simplified against tests/data/formula_simplified.txt.
#include <gtest/gtest.h>

#include <boost/algorithm/string.hpp>
#include <limits>
#include <sstream>

#include "compile/opcodes.h"
#include "formula/formula.h"
#include "formula/formula_printer.h"
#include "formula/simplifier.h"
#include "tests/console_case.h"

namespace {

// "load 0, add 1, ...": opcodes by name, each with the column it reads.
std::vector<std::uint8_t> Program(const std::string& text) {
    const std::vector<std::string> names = Words(
        "load add sub mul div addp subp mulp divp exp_input exp log_input log sin_input sin cos_input cos "
        "tan_input tan sigmoid_input sigmoid tanh_input tanh nop adds subs muls divs");
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

const std::vector<float> kValues{
    0, 0, 0, 2, 3, -2.5f, 0.1f, 0.3f, std::numeric_limits<float>::infinity(), 0, 2.5f, 0.52f, 0.7f};

TEST(FormulaText, OfHandMadePrograms) {
    for (const auto& c : DataCases("formula_texts.txt")) {
        EXPECT_EQ(FormulaText(MakeFormula(Program(c[1]), kValues, 3)), c[2]) << c[0];
    }
}

TEST(FormulaText, Simplified) {
    for (const auto& c : DataCases("formula_simplified.txt")) {
        const Expression formula = MakeFormula(Program(c[1]), kValues, 3);
        EXPECT_EQ(FormulaText(formula), c[2]) << c[0];
        EXPECT_EQ(FormulaText(*Simplify(formula), {{}, 6}), c[3]) << c[0];
    }
}

}  // namespace
