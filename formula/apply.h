#pragma once
// --apply: the program's value on every row of a data file prepared as learning prepares it, one
// line per row on standard output (9 significant digits, then a tab and the target where the row
// has one), a summary line on standard error, and the chart when one is asked for.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "formula/program_file.h"
#include "workspace/settings.h"

struct ApplyRequest {
    std::size_t inputCount;
    CSettingsSerializer settings;
    std::string dataPath;
    std::string chartPath;  // empty: no chart
};

// Throws BadInput before anything is written, or std::runtime_error when the chart cannot be written.
void ApplyProgram(const ProgramFile& file, const ApplyRequest& request, std::ostream& out, std::ostream& err);

// The summary: the row count, and over the rows with a target the mean squared error (Regression,
// Filter, Trend) or the misclassified count (Classifier).
std::string SummaryLine(const std::vector<float>& values, const std::vector<std::optional<float>>& targets,
                        const CSettingsSerializer& settings);
