#pragma once
// The tool's options: tarvo-formula [--inputs K] [--names A,B,...] [--c] [--apply DATA_FILE
// [--svg CHART_FILE]] PROGRAM_FILE_OR_DIRECTORY, or --help, or --version.
#include <optional>
#include <string>
#include <vector>

struct Options {
    std::string program;  // a program file, or a working directory
    std::optional<std::size_t> inputs;
    std::vector<std::string> names;  // empty: x0, x1, ...
    bool c = false;
    std::string apply;  // empty: no --apply
    std::string svg;    // empty: no chart
    bool help = false;
    bool version = false;
};

// Throws BadInput for an unknown option, a missing or extra operand, or options that do not go together.
Options ParseFormulaCommandLine(const std::vector<std::string>& args);

extern const char kHelpText[];
extern const std::string kVersionText;
