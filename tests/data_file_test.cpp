#include "workspace/data_file.h"

#include <gtest/gtest.h>

#include <locale>
#include <sstream>

#include "tests/console_case.h"

namespace {

// A locale whose decimal point is a comma and that groups digits with points.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// Also where the process's locale (a caller's, Python's) would read numbers otherwise.
TEST(DataFile, ReadsLinesAndTables) {
    const auto cases = DataCases("data_lines.txt");
    EXPECT_EQ(cases.size(), 18u);
    const std::locale before = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    for (const auto& c : cases) {
        std::istringstream in(c[1]);
        DataTable table;
        ReadDataTable(in, table);
        const DataTable expected = FloatRows(c[2]);
        if (c[0] == "line") table = {ParseDataLine(c[1])};
        EXPECT_EQ(table, c[0] == "line" && expected.empty() ? DataTable{{}} : expected) << c[1];
    }
    std::locale::global(before);
}

}  // namespace
