#include "app/table_learning.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <boost/algorithm/string/join.hpp>
#include <boost/filesystem.hpp>
#include <boost/format.hpp>
#include <cstring>
#include <iostream>
#include <regex>
#include <sstream>

#include "app/table_reporter.h"
#include "app/table_summary.h"
#include "engine/engine.h"
#include "platform/stop_signals.h"
#include "workspace/file_replacement.h"

namespace fs = boost::filesystem;

namespace {

const char* const kFunctionNames[] = {"add", "sub", "mul", "div",     "exp", "log",
                                      "sin", "cos", "tan", "sigmoid", "tanh"};

// Rows as the engine takes them: the inputs, then the target.
DataTable EngineRows(const CsvTable& table) {
    const std::size_t inputs = table.inputNames.size();
    DataTable rows(table.Rows());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t i = 0; i < inputs; ++i)
            rows[r].push_back(static_cast<float>(table.inputs[r * inputs + i]));
        rows[r].push_back(static_cast<float>(table.targets[r]));
    }
    return rows;
}

ProgressShape ShapeOf(const LearningPlan& plan) {
    ProgressShape shape{isatty(STDOUT_FILENO) == 1, 0, plan.setup.seconds, plan.settings.generations};
    winsize size{};
    if (shape.terminal && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0) shape.columns = size.ws_col;
    return shape;
}

// A word the shell takes back as it is.
std::string ShellWord(const std::string& word) {
    static const std::regex plain(R"([A-Za-z0-9_./,=+:@%-]+)");
    if (std::regex_match(word, plain)) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The command that learns the same way again: what the user chose, and the seed.
std::string RepeatCommand(const TableRun& run, std::uint32_t seed) {
    std::string command = "tarvo learn " + ShellWord(run.file);
    if (!run.csv.target.empty()) command += " --target " + ShellWord(run.csv.target);
    if (!run.csv.header) command += " --no-header";
    const LearningOptions& options = run.learning;
    if (options.seconds) command += boost::str(boost::format(" --seconds %g") % *options.seconds);
    if (options.generations) command += " --generations " + std::to_string(*options.generations);
    if (options.functions) command += " --functions " + FunctionList(*options.functions);
    return command + " --seed " + std::to_string(seed);
}

// Makes the directory and clears the program files of an earlier run from it, so that the one left
// is this run's. "" or why it could not.
std::string PrepareDirectory(const std::string& directory) {
    boost::system::error_code error;
    fs::create_directories(directory, error);
    if (error || !fs::is_directory(directory))
        return "cannot make the directory " + directory + ": " +
               (error ? error.message() : "a file is in the way");
    static const std::regex program(R"(program\d+\.cpp)");
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error))
        if (std::regex_match(entry->path().filename().string(), program)) fs::remove(entry->path(), error);
    return error ? "cannot clear " + directory + ": " + error.message() : "";
}

struct OutputFile {
    std::string name, what, content;
};

std::string InputList(const CsvTable& table) { return boost::join(FormulaNames(table.inputNames), ", "); }

std::vector<OutputFile> OutputFiles(const TableReporter& reporter, const ModelReport& report,
                                    const CsvTable& table, const std::string& directory) {
    const std::size_t inputs = table.inputNames.size();
    std::string reader = "tarvo-formula";
    if (FormulaNames(table.inputNames) == table.inputNames)
        reader += " --names " + boost::join(table.inputNames, ",");
    return {
        {"model.cpp",
         "the program of the formula; " + reader + " " + ShellWord(directory + "/model.cpp") + " reads it",
         reporter.Front()[reporter.Chosen()].source},
        {"formula.txt", "the formula, exact and simplified", FormulaFile(report, table.targetName)},
        {"model.c",
         "the formula as C: float tarvo_model(const float *x), x[0] .. x[" + std::to_string(inputs - 1) +
             "] being " + InputList(table),
         report.cSource},
        {"pareto.csv", "the best formula of each size, with its errors",
         ParetoTable(reporter.Front(), table)},
        {"chart.svg", "predictions against targets, and row by row", ChartFile(report, table.targetName)},
    };
}

std::string Generations(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " generation" : " generations");
}

// The closing summary; returns false when a file could not be written.
bool Summarise(const TableRun& run, const TableReporter& reporter, const CsvTable& table,
               const LearningPlan& plan, const std::string& directory, bool stopped) {
    const ModelReport report =
        ReportModel(reporter.Front()[reporter.Chosen()].source, table, *plan.setup.seed);
    const std::string target = FormulaNames({table.targetName})[0];
    std::cout << boost::format(stopped ? "Stopped after %.1f s, %s.\n\n" : "Learned for %.1f s, %s.\n\n") %
                     reporter.Seconds() % Generations(reporter.Generations());
    if (report.simplified.empty()) {
        std::cout << target << " = " << report.exact << "\n";
    } else {
        std::cout << target << " ≈ " << report.simplified << "\n"
                  << "exact: " << target << " = " << report.exact << "\n"
                  << "(" << AgreementText(report.agreement) << ")\n";
    }
    std::cout << boost::format("\nMean squared error and R^2 on the %1% training rows: %2%\n") %
                     report.training.rows % FitText(report.training)
              << boost::format("and on the %1% validation rows, held out from learning: %2%\n\n") %
                     report.validation.rows % FitText(report.validation);
    bool written = true;
    std::cout << "Files in " << directory << "/:\n";
    for (const OutputFile& file : OutputFiles(reporter, report, table, directory)) {
        const int error = ReplaceFile(directory + "/" + file.name, file.content);
        std::cout << boost::format("  %-14s %s\n") % file.name %
                         (error == 0 ? file.what : std::string("NOT WRITTEN: ") + std::strerror(error));
        written = written && error == 0;
    }
    std::cout << boost::format("  %-14s %s\n") % "settings.dat" % "the settings of the run";
    if (!reporter.ProgramFile().empty())
        std::cout << boost::format("  %-14s %s\n") % fs::path(reporter.ProgramFile()).filename().string() %
                         "the best program on the training rows, as the run found it";
    std::cout << "Repeat the run: " << RepeatCommand(run, *plan.setup.seed) << "\n";
    return written;
}

// Runs the search with its progress line; returns 0 or the signal that stopped it.
int RunSearch(CEngine& engine, TableReporter& reporter) {
    HoldStopSignals();  // before the run's threads exist, so that they inherit it
    engine.Start();
    reporter.StartProgress();
    const int signal = WaitForStopSignal([&engine] { engine.Wait(); }, [&engine] { engine.Stop(); });
    reporter.StopProgress();
    return signal;
}

}  // namespace

std::optional<std::int32_t> FunctionFlags(const std::string& list) {
    std::int32_t flags = 0;
    std::istringstream names(list + ",");  // so that a trailing comma leaves an empty name
    for (std::string name; std::getline(names, name, ',');) {
        const std::size_t symbol = std::string("+-*/").find(name);
        if (name.size() == 1 && symbol != std::string::npos) name = kFunctionNames[symbol];
        const auto at = std::find(std::begin(kFunctionNames), std::end(kFunctionNames), name);
        if (at == std::end(kFunctionNames)) return std::nullopt;
        flags |= 1 << (at - std::begin(kFunctionNames));
    }
    return flags;
}

std::string FunctionList(std::int32_t flags) {
    std::vector<std::string> list;
    for (int bit = 0; bit < 11; ++bit)
        if (flags & (1 << bit)) list.push_back(kFunctionNames[bit]);
    return boost::join(list, ",");
}

std::string DefaultOutputDirectory(const std::string& file) {
    return fs::path(file).stem().string() + ".tarvo";
}

int LearnTable(const TableRun& run) {
    CsvTable table;
    try {
        table = ReadCsvFile(run.file, run.csv);
    } catch (const CsvError& error) {
        std::cerr << error.what() << '\n';
        return 2;
    }
    const LearningPlan plan = PlanLearning(table.Rows(), table.inputNames.size(), run.learning);
    const std::string directory = run.out.empty() ? DefaultOutputDirectory(run.file) : run.out;
    TableReporter reporter(directory, run.keepPrograms, ShapeOf(plan));
    CEngine engine;
    try {
        engine.Initialise(reporter, plan.settings, EngineRows(table), plan.setup);
        const std::string problem = PrepareDirectory(directory);
        if (!problem.empty()) throw std::runtime_error(problem);
        SaveSettings(directory, plan.settings);
    } catch (const std::exception& error) {
        std::cerr << "tarvo: " << error.what() << '\n';
        return 1;
    }
    std::cout << run.file << ": " << table.Rows() << " rows; learning " << FormulaNames({table.targetName})[0]
              << " from " << InputList(table) << ".\n";
    const std::string budget = plan.setup.seconds > 0
                                   ? boost::str(boost::format("%g s") % plan.setup.seconds)
                                   : Generations(plan.settings.generations);
    std::cout << "Learning for " << budget << " on " << plan.settings.cores
              << (plan.settings.cores == 1 ? " thread" : " threads") << " with seed " << *plan.setup.seed
              << "; files go to " << directory << "/\n"
              << std::flush;
    const int signal = RunSearch(engine, reporter);
    for (const std::string& problem : reporter.Problems()) std::cout << problem << "\n";
    if (reporter.Front().empty()) {
        std::cout << "No formula was found.\n";  // stopped before the first generation was scored
        return signal != 0 ? 128 + signal : 1;
    }
    bool written = false;
    try {
        written = Summarise(run, reporter, table, plan, directory, signal != 0);
    } catch (const std::exception& error) {  // a model the formula tools cannot read
        std::cout << "tarvo: " << error.what() << '\n';
    }
    if (signal != 0) return 128 + signal;
    return written && reporter.Problems().empty() ? 0 : 1;
}
