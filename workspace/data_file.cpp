#include "workspace/data_file.h"

#include <algorithm>
#include <istream>
#include <locale>
#include <sstream>

DataRow ParseDataLine(std::string line) {
    std::replace(line.begin(), line.end(), ',', ' ');
    std::replace(line.begin(), line.end(), '\t', ' ');
    std::istringstream values(line);
    values.imbue(std::locale::classic());
    DataRow row;
    double value = 0;
    while (values >> value) row.push_back(static_cast<float>(value));
    return row;
}

void ReadDataTable(std::istream& in, DataTable& table) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        table.push_back(ParseDataLine(line));
    }
}
