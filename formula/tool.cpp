#include "formula/tool.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/filesystem.hpp>
#include <cstdio>
#include <ostream>

#include "compile/activation.h"
#include "formula/apply.h"
#include "formula/bad_input.h"
#include "formula/c_emitter.h"
#include "formula/command_line.h"
#include "formula/formula.h"
#include "formula/formula_printer.h"
#include "formula/input_names.h"
#include "formula/program_file.h"
#include "formula/simplifier.h"
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

std::string Short(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2g", value);
    return text;
}

// How the simplified formula's value compares with y's on the program file's row.
std::string AgreementText(const Agreement& agreement) {
    const std::string row = " on the sample row";
    if (agreement.exactNaNs > 0) return "a number" + row + ", where y is NaN";
    if (agreement.simplifiedNaNs > 0) return "NaN" + row + ", where y is a number";
    if (agreement.maxAbsolute == 0) return "equal to y" + row;
    return "differs from y by " + Short(agreement.maxAbsolute) + row + ", relative " +
           Short(agreement.maxRelative);
}

// "y = exact", and "y ≈ simplified   (...)" where the simplified text differs.
std::string FormulaLines(const Expression& formula, const ProgramFile& file,
                         const std::vector<std::string>& names) {
    const std::string exact = FormulaText(formula, {names});
    const std::optional<Expression> simplified = Simplify(formula);
    if (!simplified) return "y = " + exact + "\n";
    const std::string text = FormulaText(*simplified, {names, 6});
    if (text == exact) return "y = " + exact + "\n";
    const Agreement agreement = Compare(formula, *simplified, file.values.data(), file.values.size(), 1);
    return "y = " + exact + "\ny ≈ " + text + "   (" + AgreementText(agreement) + ")\n";
}

// The windows' half width for Filter and Trend, 0 for plain rows or no settings.
std::int64_t HalfWidth(const std::optional<CSettingsSerializer>& settings) {
    return settings && (settings->type & (Filter | Trend)) != 0 ? settings->omega : 0;
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
    std::vector<std::string> names;
    if (!options.names.empty()) names = InputNames(options.names, inputCount, HalfWidth(settings));
    const Expression formula = MakeFormula(file.program, file.values, inputCount);
    out << (options.c ? CSource(formula, inputCount, file.path, names) : FormulaLines(formula, file, names));
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
