#include "formula/apply.h"

#include <boost/filesystem.hpp>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <stdexcept>

#include "formula/apply_rows.h"
#include "formula/bad_input.h"
#include "compile/class_rule.h"
#include "formula/model_evaluation.h"
#include "formula/svg_chart.h"
#include "workspace/data_file.h"

namespace fs = boost::filesystem;

namespace {

DataTable ReadDataFile(const std::string& path) {
    boost::system::error_code error;
    if (!fs::is_regular_file(fs::status(path, error))) throw BadInput(path + ": no such file");
    std::ifstream in(path);
    if (!in) throw BadInput(path + ": cannot be read");
    DataTable table;
    ReadDataTable(in, table);
    return table;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string ValuesText(const std::vector<float>& values, const std::vector<std::optional<float>>& targets) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += Number(values[i]);
        if (targets[i]) text += "\t" + Number(*targets[i]);
        text += "\n";
    }
    return text;
}

void WriteChart(const std::string& path, const std::string& svg) {
    std::ofstream out(path, std::ios::binary);
    out << svg;
    out.close();
    if (!out) throw std::runtime_error(path + ": the chart cannot be written");
}

}  // namespace

std::string SummaryLine(const std::vector<float>& values, const std::vector<std::optional<float>>& targets,
                        const CSettingsSerializer& settings) {
    const ClassRule rule = ClassRuleOf(settings);
    std::size_t withTarget = 0, missed = 0;
    double squares = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!targets[i]) continue;
        ++withTarget;
        missed += rule.Missed(values[i], *targets[i]) ? 1 : 0;
        const double error = static_cast<double>(values[i]) - static_cast<double>(*targets[i]);
        squares += error * error;
    }
    std::string line = std::to_string(values.size()) + (values.size() == 1 ? " row" : " rows");
    if (withTarget == 0) return line + ", none with a target";
    if (withTarget < values.size()) line += " (" + std::to_string(withTarget) + " with a target)";
    if (settings.type == Classifier) return line + ", " + std::to_string(missed) + " misclassified";
    return line + ", mean squared error " + Number(squares / static_cast<double>(withTarget));
}

void ApplyProgram(const ProgramFile& file, const ApplyRequest& request, std::ostream& out,
                  std::ostream& err) {
    const std::vector<float> constants(file.values.begin() + static_cast<std::ptrdiff_t>(request.inputCount),
                                       file.values.end());
    const PreparedRows rows = PrepareApplyRows(ReadDataFile(request.dataPath), request.settings,
                                               request.inputCount, constants, request.dataPath);
    const std::vector<float> values = EvaluateRows(file.program, rows.callRows, rows.stride, rows.count);
    if (!request.chartPath.empty()) {
        std::optional<ClassRule> classes;
        if (request.settings.type == Classifier) classes = ClassRuleOf(request.settings);
        WriteChart(request.chartPath,
                   SvgChart(values, rows.targets, classes, file.path + " on " + request.dataPath));
    }
    out << ValuesText(values, rows.targets);
    err << SummaryLine(values, rows.targets, request.settings) << "\n";
}
