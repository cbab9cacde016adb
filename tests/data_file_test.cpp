#include "workspace/data_file.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/console_case.h"

namespace {

TEST(DataFile, ReadsLinesAndTables) {
    const auto cases = DataCases("data_lines.txt");
    EXPECT_EQ(cases.size(), 18u);
    for (const auto& c : cases) {
        std::istringstream in(c[1]);
        DataTable table;
        ReadDataTable(in, table);
        const DataTable expected = FloatRows(c[2]);
        if (c[0] == "line") table = {ParseDataLine(c[1])};
        EXPECT_EQ(table, c[0] == "line" && expected.empty() ? DataTable{{}} : expected) << c[1];
    }
}

}  // namespace
