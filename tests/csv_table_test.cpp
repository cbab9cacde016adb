#include "workspace/csv_table.h"

#include <gtest/gtest.h>

#include <boost/algorithm/string/predicate.hpp>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "tests/console_case.h"

namespace {

CsvOptions OptionsOf(const std::string& words, std::string& text) {
    CsvOptions options;
    options.minimumRows = 1;
    for (const std::string& word : Words(words)) {
        const std::string value = word.substr(word.find('=') + 1);
        if (word == "no-header") options.header = false;
        if (word == "bom") text = "\xEF\xBB\xBF" + text;
        if (boost::starts_with(word, "target=")) options.target = value;
        if (boost::starts_with(word, "rows=")) options.minimumRows = std::stoul(value);
        if (boost::starts_with(word, "memory=")) options.memoryBytes = std::stoul(value);
    }
    return options;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string Written(const CsvTable& table) {
    std::string text = table.separator == '\t' ? "tabs" : table.separator == ';' ? "semicolons" : "commas";
    for (const std::string& name : table.inputNames) text += " [" + name + "]";
    text += " -> [" + table.targetName + "]";
    const std::size_t width = table.inputNames.size();
    EXPECT_EQ(table.inputs.size(), width * table.Rows());
    EXPECT_EQ(table.lines.size(), table.Rows());
    for (std::size_t row = 0; row < table.Rows() && table.inputs.size() == width * table.Rows(); ++row) {
        text += "; " + std::to_string(table.lines[row]) + ":";
        for (std::size_t c = 0; c < width; ++c) text += " " + Number(table.inputs[row * width + c]);
        text += " -> " + Number(table.targets[row]);
    }
    return text;
}

TEST(CsvTable, ReadsOrRefusesEveryText) {
    for (const auto& c : DataCases("csv_tables.txt")) {
        ASSERT_EQ(c.size(), 3u) << c[0];
        std::string text = c[1], result;
        const CsvOptions options = OptionsOf(c[0], text);
        std::istringstream in(text);
        const std::string refusal =
            Thrown<CsvError>([&] { result = Written(ReadCsvTable(in, "t.csv", options)); });
        EXPECT_EQ(refusal.empty() ? result : refusal, c[2]) << c[1];
    }
}

TEST(CsvTable, RefusesAFileItCannotRead) {
    const std::string directory = MakeTemporaryDirectory();
    for (const auto& [path, reason] : {std::pair{directory + "/none.csv", "No such file or directory"},
                                       std::pair{directory, "Is a directory"}})
        EXPECT_EQ(Thrown<CsvError>([&] { ReadCsvFile(path); }), path + ": cannot be read: " + reason);
    std::filesystem::remove(directory);
}

}  // namespace
