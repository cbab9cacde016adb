#include "formula/command_line.h"

#include "formula/bad_input.h"
#include "formula/input_names.h"
#include "workspace/version.h"

const char kHelpText[] =
    "Usage: tarvo-formula [--inputs K] [--names A,B,...] [--c] [--apply DATA_FILE [--svg CHART_FILE]]\n"
    "                     PROGRAM_FILE_OR_DIRECTORY\n"
    "\n"
    "Reads a program file that a Tarvo run wrote (program<N>.cpp; in a directory, the one of the\n"
    "highest generation) and prints the formula the program computes, as one line \"y = ...\".\n"
    "Where a simplified form reads differently, a second line \"y ≈ ...\" gives it with six\n"
    "significant digits, and how far its value is from y on the row that the file holds.\n"
    "\n"
    "  --inputs K          the first K values of the file's inputs list are the data inputs x0 .. x{K-1},\n"
    "                      the rest are the run's constants (default: the list's length less\n"
    "                      dummyInputs of settings.dat beside the program file)\n"
    "  --names A,B,...     names of the data inputs in place of x0, x1, ...; for Filter and Trend, of\n"
    "                      a data row's inputs, which print as A[-1], A[0], A[+1] by window row\n"
    "  --c                 print a C99 source file defining float tarvo_model(const float *x) instead\n"
    "  --apply DATA_FILE   print the program's value on each row of DATA_FILE, prepared as learning\n"
    "                      prepares rows for the problem type in settings.dat, with a tab and the\n"
    "                      target where the row has one; a summary line goes to standard error\n"
    "  --svg CHART_FILE    with --apply, also write a chart of target and prediction per row as SVG\n"
    "  --help, --version   print this text, or the version and the licence, and exit\n"
    "\n"
    "A program file holds the run's constants exactly (an older one may hold them with six\n"
    "significant digits only). Every result here is that of the file's own numbers.\n"
    "Exit status: 0 done, 1 the chart could not be written, 2 bad input (nothing written).\n";

const std::string kVersionText = std::string("tarvo-formula (Tarvo) ") + kTarvoVersion + "\nLicense: MIT\n";

namespace {

std::size_t WholeNumber(const std::string& text) {
    const bool digits =
        !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits) throw BadInput("--inputs takes a whole number, not \"" + text + "\"");
    return std::stoul(text);
}

void Check(const Options& options) {
    if (options.help || options.version) return;
    if (options.program.empty()) throw BadInput("no program file or directory given (see --help)");
    if (options.c && !options.apply.empty()) throw BadInput("--c and --apply do not go together");
    if (!options.svg.empty() && options.apply.empty()) throw BadInput("--svg goes with --apply");
    if (!options.names.empty() && !options.apply.empty())
        throw BadInput("--names and --apply do not go together");
}

}  // namespace

Options ParseFormulaCommandLine(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 == args.size()) throw BadInput(arg + " needs a value (see --help)");
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--c") {
            options.c = true;
        } else if (arg == "--inputs") {
            options.inputs = WholeNumber(value());
        } else if (arg == "--names") {
            options.names = ReadInputNames(value());
        } else if (arg == "--apply") {
            options.apply = value();
        } else if (arg == "--svg") {
            options.svg = value();
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw BadInput("unknown option " + arg + " (see --help)");
        } else if (!options.program.empty()) {
            throw BadInput("more than one program file given: " + options.program + ", " + arg);
        } else {
            options.program = arg;
        }
    }
    Check(options);
    return options;
}
