// The data file reader on arbitrary bytes: it never fails, and every row it returns is what the
// line parser makes of one line of the input.
#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "workspace/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    DataTable table;
    ReadDataTable(in, table);
    std::istringstream lines(text);
    std::string line;
    for (const DataRow& row : table) {
        if (!std::getline(lines, line)) std::abort();  // more rows than lines
        if (ParseDataLine(line).size() != row.size()) std::abort();
    }
    return 0;
}
