#pragma once
// What a run of `tarvo learn FILE.csv` found, told in terms of the table: the chosen model as a
// formula in the column names (exact, and simplified with how far apart the two are on the table's
// rows), its errors and R^2 on the training and validation rows, and the files that hold it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/progress_reporter.h"
#include "formula/simplifier.h"
#include "workspace/csv_table.h"

// Mean squared error and R^2 (1 - error / variance of the targets) over some rows.
struct Fit {
    std::size_t rows = 0;
    double error = 0;
    double r2 = 0;  // NaN when the targets do not vary
};

struct ModelReport {
    std::string exact, simplified;  // right-hand sides; `simplified` empty when it reads as `exact`
    Agreement agreement;            // of the two on every row
    Fit training, validation;
    std::vector<float> predictions, targets;  // every row's, as the program computes them
    std::string cSource;
};

// Names as formulas print them: a name a formula could misread (a blank, an operator, a leading
// digit) goes between backticks.
std::vector<std::string> FormulaNames(const std::vector<std::string>& columns);

// `source`: the program file of a model learned from `table` by a run of seed `seed`, which says the
// rows held out.
ModelReport ReportModel(const std::string& source, const CsvTable& table, std::uint32_t seed);

// pareto.csv: size, the two errors and the simplified formula of each member of the front.
std::string ParetoTable(const std::vector<FrontModel>& front, const CsvTable& table);

// formula.txt: "target = exact", then "target ≈ simplified" where it reads differently.
std::string FormulaFile(const ModelReport& report, const std::string& target);
std::string ChartFile(const ModelReport& report, const std::string& target);

// "the simplified formula equals the exact one on all 150 rows", or how far apart they are.
std::string AgreementText(const Agreement& agreement);
std::string FitText(const Fit& fit);  // "error 1.2e-05, R^2 0.99987"
