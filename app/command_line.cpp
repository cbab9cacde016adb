#include "app/command_line.h"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <optional>

#include "app/command_loop.h"
#include "workspace/version.h"

namespace {

const char kUsage[] =
    "Usage: tarvo [--help | --version | learn DIRECTORY [--seed N] [--generations N] "
    "[--islands [--migrate-every K] [--migrants M]]]";

const char kHelp[] =
    "Usage: tarvo\n"
    "       tarvo learn DIRECTORY [--seed N] [--generations N]\n"
    "                             [--islands [--migrate-every K] [--migrants M]]\n"
    "       tarvo --help | --version\n"
    "Learns formulas from tables of numbers by gene expression programming.\n"
    "\n"
    "Without arguments tarvo is an interactive console: it reads command words from standard\n"
    "input; type '?' for the list.\n"
    "\n"
    "  learn DIRECTORY    learn once with DIRECTORY's settings.dat and data.dat, as console\n"
    "                     command 5 would, and end with the run\n"
    "  --seed N           seed every random generator from N (0 to 4294967295) instead of the\n"
    "                     clock: the same data, settings and seed give the same run\n"
    "  --generations N    learn for N generations instead of the settings file's number\n"
    "  --islands          be one island of an island run: started by mpirun with P processes,\n"
    "                     P islands learn the same run and exchange their best programs; the\n"
    "                     first island alone prints and writes files\n"
    "  --migrate-every K  exchange every K generations (default 5, K at least 1)\n"
    "  --migrants M       send copies of the M best programs (default 5; 0 for none), which\n"
    "                     replace the next island's M worst\n"
    "  --help             print this help and exit\n"
    "  --version          print the version and the licence and exit\n"
    "\n"
    "Exit status: 0 when the run or the console ends, 1 when the run cannot start, fails or cannot\n"
    "write a program file, 2 for a usage error or --islands in a build without MPI, 130 or 143 when\n"
    "SIGINT or SIGTERM stopped the run.\n";

// Decimal digits only, at most `max`.
std::optional<std::uint32_t> Number(const std::string& text, std::uint32_t max) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > max) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// The words after "learn": one directory and each option at most once, as "--name N" or "--name=N";
// the island options only with --islands.
CommandLine ParseLearn(const std::vector<std::string>& words) {
    const CommandLine usage{CommandLine::Usage, "", {}};
    CommandLine result{CommandLine::LearnRun, "", {}};
    std::optional<std::uint32_t> numbers[4];  // seed, generations, migrate-every, migrants
    const char* const names[4] = {"--seed", "--generations", "--migrate-every", "--migrants"};
    const std::uint32_t least[4] = {0, 0, 1, 0}, most[4] = {UINT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
    bool haveDirectory = false, islands = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string name = words[i];
        std::optional<std::string> value;
        const std::size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        const auto option = std::find(std::begin(names), std::end(names), name) - std::begin(names);
        if (option < 4) {
            if (!value && i + 1 < words.size()) value = words[++i];
            const std::optional<std::uint32_t> number = Number(value.value_or(""), most[option]);
            if (!number || *number < least[option] || numbers[option]) return usage;
            numbers[option] = number;
        } else if (name == "--islands" && !value && !islands) {
            islands = true;
        } else if (name.rfind("-", 0) == 0 || haveDirectory) {
            return usage;
        } else {
            result.directory = name;
            haveDirectory = true;
        }
    }
    if (!haveDirectory || (!islands && (numbers[2] || numbers[3]))) return usage;
    result.options.seed = numbers[0];
    if (numbers[1]) result.options.generations = static_cast<std::int32_t>(*numbers[1]);
    if (islands) {
        result.options.islands = IslandOptions{};
        if (numbers[2]) result.options.islands->migrateEvery = static_cast<std::int32_t>(*numbers[2]);
        if (numbers[3]) result.options.islands->migrants = static_cast<std::int32_t>(*numbers[3]);
    }
    return result;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {};
    if (arguments.size() == 1 && arguments[0] == "--help") return {CommandLine::Help, "", {}};
    if (arguments.size() == 1 && arguments[0] == "--version") return {CommandLine::Version, "", {}};
    if (arguments[0] == "learn") return ParseLearn({arguments.begin() + 1, arguments.end()});
    return {CommandLine::Usage, "", {}};
}

int RunTarvo(int argc, char** argv) {
    const CommandLine line = ParseCommandLine({argv + 1, argv + argc});
    switch (line.action) {
        case CommandLine::Console:
            return RunCommandLoop();
        case CommandLine::LearnRun:
            return Learn(line.directory, line.options);
        case CommandLine::Help:
            std::cout << kHelp;
            return 0;
        case CommandLine::Version:
            std::cout << "tarvo " << kTarvoVersion << "\nLicense: MIT\n";
            return 0;
        case CommandLine::Usage:
            break;
    }
    std::cerr << kUsage << '\n';
    return 2;
}
