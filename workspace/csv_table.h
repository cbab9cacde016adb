#pragma once
// A table of numbers from CSV, tab- or semicolon-separated text, for learning: a header of column
// names, one row per line, the target in the last column or a named one. Anything else is refused
// with every problem's line and column (CsvError), so that what is read is what the user meant:
// - the separator is that of the first line (csv_fields.h); fields may be quoted as RFC 4180 has it;
// - blank lines and comment lines (first non-blank character '#') are skipped wherever they are;
// - every cell is a decimal number (fast_float's syntax, a leading '+' allowed) that stays finite as
//   a float, since programs compute in float; the table keeps it as the double it reads;
// - column names are unique and not empty; without a header the columns are named x0, x1, ... and
//   the last y, so that the inputs are named as programs name them when the target is last;
// - at least `minimumRows` rows, and a target that is not the same float on every row.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "workspace/csv_problems.h"

constexpr std::size_t kLongestCsvLine = std::size_t(1) << 20;  // bytes
constexpr std::size_t kMostCsvColumns = 16384;                 // the target among them

struct CsvOptions {
    bool header = true;
    std::string target;                                  // a column's name; empty: the last column
    std::size_t minimumRows = 10;                        // too few to learn from, and to hold some out
    std::uint64_t memoryBytes = std::uint64_t(1) << 30;  // for the rows' values and line numbers
};

struct CsvTable {
    std::vector<std::string> inputNames;  // in the file's order, the target left out
    std::string targetName;
    std::vector<double> inputs;      // row after row, inputNames.size() values each
    std::vector<double> targets;     // one a row
    std::vector<std::size_t> lines;  // the line of each row in the file, from 1
    char separator = ',';            // ',', '\t' or ';'

    std::size_t Rows() const { return targets.size(); }
};

// `file` names the text in messages. Throws CsvError.
CsvTable ReadCsvTable(std::istream& in, const std::string& file, const CsvOptions& options = {});

// The same from the file at `path`; one that cannot be read is a CsvError too.
CsvTable ReadCsvFile(const std::string& path, const CsvOptions& options = {});
