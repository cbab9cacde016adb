#include "app/table_summary.h"

#include <algorithm>
#include <boost/algorithm/string/replace.hpp>
#include <boost/format.hpp>
#include <cctype>
#include <cmath>

#include "engine/tuned_rows.h"
#include "formula/c_emitter.h"
#include "formula/formula.h"
#include "formula/formula_printer.h"
#include "formula/model_evaluation.h"
#include "formula/program_file.h"
#include "formula/svg_chart.h"

namespace {

// As tarvo-formula --names takes them: a letter or _, then letters, digits, _ or '.'.
bool PlainName(const std::string& name) {
    const auto letter = [](unsigned char c) { return std::isalpha(c) || c == '_'; };
    const auto rest = [&letter](unsigned char c) { return letter(c) || std::isdigit(c) || c == '.'; };
    return !name.empty() && letter(static_cast<unsigned char>(name[0])) &&
           std::all_of(name.begin(), name.end(), rest) && name != "inf" && name != "NaN";
}

std::string Short(double value) { return boost::str(boost::format("%.3g") % value); }

// The exact formula of a program file of the table's run, and its simplified form's text ("" when
// there is none or it reads the same).
struct Formulas {
    Expression exact;
    std::string exactText, simplifiedText;
    std::optional<Expression> simplified;
};

Formulas FormulasOf(const ProgramFile& file, const CsvTable& table) {
    const std::vector<std::string> names = FormulaNames(table.inputNames);
    Formulas f{MakeFormula(file.program, file.values, table.inputNames.size()), "", "", std::nullopt};
    f.exactText = FormulaText(f.exact, {names});
    f.simplified = Simplify(f.exact);
    if (f.simplified) f.simplifiedText = FormulaText(*f.simplified, {names, 6});
    if (f.simplifiedText == f.exactText) f.simplifiedText.clear();
    return f;
}

// Each row's inputs followed by the program's constants, as the compiled program reads them.
std::vector<float> CallRows(const CsvTable& table, const std::vector<float>& values) {
    const std::size_t inputs = table.inputNames.size();
    std::vector<float> rows;
    rows.reserve(table.Rows() * values.size());
    for (std::size_t r = 0; r < table.Rows(); ++r) {
        for (std::size_t i = 0; i < inputs; ++i)
            rows.push_back(static_cast<float>(table.inputs[r * inputs + i]));
        rows.insert(rows.end(), values.begin() + static_cast<std::ptrdiff_t>(inputs), values.end());
    }
    return rows;
}

Fit FitOn(const std::vector<std::size_t>& picks, const std::vector<float>& predictions,
          const std::vector<float>& targets) {
    Fit fit{picks.size(), 0, NAN};
    if (picks.empty()) return fit;
    double mean = 0, variance = 0;
    for (std::size_t r : picks) {
        const double difference = static_cast<double>(predictions[r]) - targets[r];
        fit.error += difference * difference;
        mean += targets[r];
    }
    mean /= static_cast<double>(picks.size());
    for (std::size_t r : picks) variance += (targets[r] - mean) * (targets[r] - mean);
    fit.error /= static_cast<double>(picks.size());
    variance /= static_cast<double>(picks.size());
    if (variance > 0) fit.r2 = 1 - fit.error / variance;
    return fit;
}

std::string CsvField(const std::string& text) {
    return "\"" + boost::replace_all_copy(text, "\"", "\"\"") + "\"";
}

}  // namespace

std::vector<std::string> FormulaNames(const std::vector<std::string>& columns) {
    std::vector<std::string> names;
    for (const std::string& column : columns)
        names.push_back(PlainName(column) ? column : "`" + boost::replace_all_copy(column, "`", "``") + "`");
    return names;
}

ModelReport ReportModel(const std::string& source, const CsvTable& table, std::uint32_t seed) {
    const ProgramFile file = ParseProgramFile("model.cpp", source);
    const Formulas f = FormulasOf(file, table);
    ModelReport report;
    report.exact = f.exactText;
    report.simplified = f.simplifiedText;
    const std::vector<float> rows = CallRows(table, file.values);
    if (f.simplified)
        report.agreement = Compare(f.exact, *f.simplified, rows.data(), file.values.size(), table.Rows());
    report.predictions = EvaluateRows(file.program, rows, file.values.size(), table.Rows());
    for (double target : table.targets) report.targets.push_back(static_cast<float>(target));
    std::vector<std::size_t> training, validation;
    SplitRows(table.Rows(), seed, training, validation);
    report.training = FitOn(training, report.predictions, report.targets);
    report.validation = FitOn(validation, report.predictions, report.targets);
    // The names go into a comment of the C file, which they must not end.
    std::vector<std::string> names = FormulaNames(table.inputNames);
    for (std::string& name : names) boost::replace_all(name, "*/", "* /");
    report.cSource = CSource(f.exact, table.inputNames.size(), "model.cpp", names);
    return report;
}

std::string ParetoTable(const std::vector<FrontModel>& front, const CsvTable& table) {
    std::string text = "size,training error,validation error,formula\n";
    for (const FrontModel& model : front) {
        const Formulas f = FormulasOf(ParseProgramFile("front", model.source), table);
        text += boost::str(boost::format("%1%,%2$.9g,%3$.9g,") % model.scores.size %
                           model.scores.trainingError % model.scores.validationError) +
                CsvField(f.simplifiedText.empty() ? f.exactText : f.simplifiedText) + "\n";
    }
    return text;
}

std::string FormulaFile(const ModelReport& report, const std::string& target) {
    const std::string name = FormulaNames({target})[0];
    std::string text = name + " = " + report.exact + "\n";
    if (!report.simplified.empty()) text += name + " ≈ " + report.simplified + "\n";
    return text;
}

std::string ChartFile(const ModelReport& report, const std::string& target) {
    const std::string formula = report.simplified.empty() ? report.exact : report.simplified;
    return SvgFitChart(report.predictions, report.targets, FormulaNames({target})[0] + " = " + formula,
                       "training " + FitText(report.training) + "; validation " + FitText(report.validation));
}

std::string AgreementText(const Agreement& agreement) {
    const std::string rows = std::to_string(agreement.rows) + " rows";
    const std::size_t nans = agreement.exactNaNs + agreement.simplifiedNaNs;
    if (nans > 0)
        return "one of the two formulas is NaN where the other is not on " + std::to_string(nans) +
               " of the " + rows;
    if (agreement.maxAbsolute == 0) return "the simplified formula equals the exact one on all " + rows;
    return "the simplified formula differs from the exact one by at most " + Short(agreement.maxAbsolute) +
           ", " + Short(agreement.maxRelative) + " relative, on the " + rows;
}

std::string FitText(const Fit& fit) {
    return "error " + Short(fit.error) + ", R^2 " +
           (std::isnan(fit.r2) ? "-" : boost::str(boost::format("%.6g") % fit.r2));
}
