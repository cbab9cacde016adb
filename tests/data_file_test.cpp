#include "workspace/data_file.h"

#include <gtest/gtest.h>

#include <boost/algorithm/string.hpp>
#include <sstream>

#include "tests/console_case.h"

namespace {

// Rows separated by ';', values by blanks.
DataTable Table(const std::string& text) {
    DataTable table;
    std::vector<std::string> rows;
    boost::split(rows, text, boost::is_any_of(";"));
    for (const std::string& row : rows) {
        std::istringstream values(row);
        DataRow& parsed = table.emplace_back();
        for (std::string value; values >> value;) parsed.push_back(std::stof(value));
    }
    return text.empty() ? DataTable{} : table;
}

TEST(DataFile, ReadsLinesAndTables) {
    const auto cases = DataCases("data_lines.txt");
    EXPECT_EQ(cases.size(), 18u);
    for (const auto& c : cases) {
        std::istringstream in(c[1]);
        DataTable table;
        ReadDataTable(in, table);
        const DataTable expected = Table(c[2]);
        if (c[0] == "line") table = {ParseDataLine(c[1])};
        EXPECT_EQ(table, c[0] == "line" && expected.empty() ? DataTable{{}} : expected) << c[1];
    }
}

}  // namespace
