#pragma once
// The data file's text format: one row per line, values separated by any run of commas, tabs and
// blanks; the first token that is not a number ends its row; an empty line ends the data.
#include <iosfwd>
#include <string>
#include <vector>

using DataRow = std::vector<float>;
using DataTable = std::vector<DataRow>;

DataRow ParseDataLine(std::string line);

// Appends the rows of `in` to `table`. An unterminated final line is a row like any other.
void ReadDataTable(std::istream& in, DataTable& table);
