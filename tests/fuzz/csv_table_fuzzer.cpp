// The CSV reader on arbitrary bytes: it refuses with at most the shown problems and a count, or
// returns a table whose parts agree: unique names, every value finite as a float, rows in line order.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>

#include "workspace/csv_table.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckTable(const CsvTable& table, const CsvOptions& options) {
    const std::size_t width = table.inputNames.size(), rows = table.Rows();
    std::set<std::string> names(table.inputNames.begin(), table.inputNames.end());
    names.insert(table.targetName);
    Check(width >= 1 && names.size() == width + 1 && names.count("") == 0);
    Check(options.target.empty() || table.targetName == options.target);
    Check(rows >= options.minimumRows && table.inputs.size() == rows * width && table.lines.size() == rows);
    for (std::size_t row = 1; row < rows; ++row) Check(table.lines[row] > table.lines[row - 1]);
    for (double value : table.inputs) Check(std::isfinite(static_cast<float>(value)));
    for (double value : table.targets) Check(std::isfinite(static_cast<float>(value)));
}

}  // namespace

// The first byte chooses the options: a header or not, the target last or named x0, the fewest rows.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    CsvOptions options;
    options.header = (data[0] & 1) == 0;
    if ((data[0] & 2) != 0) options.target = options.header ? "a" : "x0";
    options.minimumRows = data[0] >> 4;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    try {
        CheckTable(ReadCsvTable(in, "t.csv", options), options);
    } catch (const CsvError& refusal) {
        Check(refusal.Total() >= 1 && refusal.Shown().size() == std::min(refusal.Total(), kShownCsvProblems));
        for (const std::string& problem : refusal.Shown()) Check(problem.rfind("t.csv", 0) == 0);
    }
    return 0;
}
