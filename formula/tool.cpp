#include "formula/tool.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/filesystem.hpp>
#include <ostream>

#include "compile/activation.h"
#include "compile/program_analysis.h"
#include "formula/apply.h"
#include "formula/bad_input.h"
#include "formula/c_emitter.h"
#include "formula/command_line.h"
#include "formula/formula.h"
#include "formula/formula_printer.h"
#include "formula/program_file.h"
#include "workspace/settings.h"

namespace {

// settings.dat in the program file's directory, when there is one.
std::optional<CSettingsSerializer> SettingsBeside(const std::string& programPath) {
    std::string directory = boost::filesystem::path(programPath).parent_path().string();
    if (directory.empty()) directory = ".";
    if (!SettingsFileExists(directory)) return std::nullopt;
    try {
        return LoadSettings(directory);
    } catch (const boost::archive::archive_exception& error) {
        throw BadInput(SettingsPath(directory) + ": " + error.what());
    }
}

std::size_t InputCount(const Options& options, const ProgramFile& file,
                       const std::optional<CSettingsSerializer>& settings) {
    const std::size_t listed = file.values.size();
    const std::string list = " the " + std::to_string(listed) + " values of the inputs list of " + file.path;
    if (options.inputs) {
        if (*options.inputs > listed) {
            throw BadInput("--inputs " + std::to_string(*options.inputs) + " is more than" + list);
        }
        return *options.inputs;
    }
    if (!settings) {
        throw BadInput("no settings.dat beside " + file.path + " to tell the inputs: give --inputs K");
    }
    const std::int64_t constants = settings->dummyInputs;
    if (constants < 0 || static_cast<std::size_t>(constants) > listed) {
        throw BadInput("dummyInputs " + std::to_string(constants) + " of settings.dat does not fit" + list);
    }
    return listed - static_cast<std::size_t>(constants);
}

int Run(const Options& options, std::ostream& out, std::ostream& err) {
    const ProgramFile file = ReadProgramFile(FindProgramFile(options.program));
    CheckColumns(file);
    const std::optional<CSettingsSerializer> settings = SettingsBeside(file.path);
    const std::size_t inputCount = InputCount(options, file, settings);
    if (!options.apply.empty()) {
        if (!settings) throw BadInput("--apply needs the settings.dat of the run beside " + file.path);
        ApplyProgram(file, {inputCount, *settings, options.apply, options.svg}, out, err);
        return 0;
    }
    const LiveProgram live = AnalyseProgram(file.program);
    if (!live.chain) throw BadInput(file.path + ": the program combines two values of the stack, which no formula shows yet");
    const Formula formula = MakeFormula(live, file.values, inputCount);
    out << (options.c ? CSource(formula, inputCount, file.path) : "y = " + FormulaText(formula) + "\n");
    return 0;
}

}  // namespace

int RunFormulaTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const Options options = ParseFormulaCommandLine(args);
        if (options.help || options.version) {
            out << (options.help ? kHelpText : kVersionText);
            return 0;
        }
        return Run(options, out, err);
    } catch (const BadInput& error) {
        err << "tarvo-formula: " << error.what() << "\n";
        return 2;
    } catch (const std::exception& error) {
        err << "tarvo-formula: " << error.what() << "\n";
        return 1;
    }
}
