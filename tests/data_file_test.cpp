#include "workspace/data_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

TEST(DataFile, ParsesOneLine) {
    const struct {
        const char* line;
        DataRow row;
    } cases[] = {
        {"1,2,3", {1, 2, 3}},
        {"1\t2 3", {1, 2, 3}},
        {" ,1,,\t 2 ,", {1, 2}},
        {"1,5", {1, 5}},
        {"-2.5 +3 .5 1e5 1.5E-3", {-2.5f, 3, 0.5f, 1e5f, 1.5e-3f}},
        {"12abc 7", {12}},
        {"abc 12", {}},
        {"\"1\",2", {}},
        {"0.1", {0.1f}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseDataLine(c.line), c.row) << c.line;
}

TEST(DataFile, NarrowsToFloat) {
    const DataRow row = ParseDataLine("1e40 -1e40 1e-50");
    ASSERT_EQ(row.size(), 3u);
    EXPECT_TRUE(std::isinf(row[0]) && row[0] > 0);
    EXPECT_TRUE(std::isinf(row[1]) && row[1] < 0);
    EXPECT_EQ(row[2], 0.0f);
}

TEST(DataFile, ReadsRowsUntilAnEmptyLine) {
    const struct {
        const char* text;
        DataTable table;
    } cases[] = {
        {"1,2,3\n4,5,6\n7,8,9\n", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},
        {"a,b,c\n1,2,3\n", {{}, {1, 2, 3}}},
        {"1,2\n\n3,4\n", {{1, 2}}},
        {"1,2\r\n3,4\r\n\r\n5,6\r\n", {{1, 2}, {3, 4}}},
        {"1,2\n3,4,5\n6\n", {{1, 2}, {3, 4, 5}, {6}}},
        {"1,2\n3,4", {{1, 2}, {3, 4}}},
        {"", {}},
        {"\n1,2\n", {}},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        DataTable table;
        ReadDataTable(in, table);
        EXPECT_EQ(table, c.table) << c.text;
    }
}

}  // namespace
