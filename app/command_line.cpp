#include "app/command_line.h"

#include <algorithm>
#include <boost/algorithm/string.hpp>
#include <boost/filesystem.hpp>
#include <cstdint>
#include <iostream>
#include <optional>

#include "app/command_loop.h"
#include "workspace/version.h"

namespace {

const char kUsage[] =
    "Usage: tarvo [--help | --version | learn DIRECTORY [--seed N] [--generations N] [--seconds T] "
    "[--search gep|tuned] [--islands [--migrate-every K] [--migrants M]]]";

const char kHelp[] =
    "Usage: tarvo\n"
    "       tarvo learn DIRECTORY [--seed N] [--generations N] [--seconds T]\n"
    "                             [--search gep|tuned]\n"
    "                             [--islands [--migrate-every K] [--migrants M]]\n"
    "       tarvo learn FILE.csv [--target NAME] [--no-header] [--seconds T] [--generations N]\n"
    "                            [--functions LIST] [--seed N] [--out DIR] [--keep-programs]\n"
    "       tarvo --help | --version\n"
    "Learns formulas from tables of numbers by gene expression programming.\n"
    "\n"
    "  learn FILE.csv     learn a formula for the last column of a table (CSV, or tab- or\n"
    "                     semicolon-separated, with a header of column names) from the other\n"
    "                     columns; the settings are chosen from the data. Prints its progress,\n"
    "                     then the formula, its errors and the files it wrote. Bad data is\n"
    "                     refused with the line and column of each problem, and nothing is written.\n"
    "  --target NAME      learn the column NAME instead of the last\n"
    "  --no-header        the first line holds numbers; the columns are x0, x1, ... and the last y\n"
    "  --seconds T        learn for T seconds (default: 3 to 10, longer for larger tables)\n"
    "  --generations N    end after N generations at most; without --seconds the run then has no\n"
    "                     time limit and repeats exactly with the same --seed\n"
    "  --functions LIST   the functions of the formula, from add,sub,mul,div,exp,log,sin,cos,tan,\n"
    "                     sigmoid,tanh (default: add,sub,mul,div,exp,log,sin,cos)\n"
    "  --seed N           the seed of the run (default: a new one, printed), to repeat a run\n"
    "  --out DIR          write the files to DIR (default: FILE's name with .tarvo, here)\n"
    "  --keep-programs    keep the program file of every improvement, not only the last\n"
    "\n"
    "Without arguments tarvo is an interactive console: it reads command words from standard\n"
    "input; type '?' for the list.\n"
    "\n"
    "  learn DIRECTORY    learn once with DIRECTORY's settings.dat and data.dat, as console\n"
    "                     command 5 would, and end with the run\n"
    "  --seed N           seed every random generator from N (0 to 4294967295) instead of the\n"
    "                     clock: the same data, settings and seed give the same run\n"
    "  --generations N    learn for N generations instead of the settings file's number\n"
    "  --seconds T        end the run once T seconds (a decimal number) have passed, as if\n"
    "                     its last generation had ended\n"
    "  --search gep       the search of console command 5 (the default)\n"
    "  --search tuned     a search that tunes each program's own constants, scales its output,\n"
    "                     holds a fifth of the rows out to choose the final model on, and\n"
    "                     writes the best model of each size (pareto.csv, model.cpp)\n"
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
    "write a program file, 2 for a usage error, a table refused or --islands in a build without MPI,\n"
    "130 or 143 when SIGINT or SIGTERM stopped the run.\n";

CommandLine Action(CommandLine::Action action) {
    CommandLine line;
    line.action = action;
    return line;
}

// Seconds: decimal digits with an optional fraction, more than 0 and at most a year.
std::optional<double> Seconds(const std::string& text) {
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "1" : text.substr(point + 1);
    const auto digits = [](const std::string& part) {
        return !part.empty() && part.size() <= 9 && part.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(whole) || !digits(fraction)) return std::nullopt;
    const double value = std::stod(text);
    if (!(value > 0) || value > 366.0 * 24 * 3600) return std::nullopt;
    return value;
}

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

// "--name=value" becomes "--name" and its value; other words are left as they are.
std::optional<std::string> SplitValue(std::string& word) {
    const std::size_t equals = word.find('=');
    if (word.rfind("--", 0) != 0 || equals == std::string::npos) return std::nullopt;
    std::string value = word.substr(equals + 1);
    word.resize(equals);
    return value;
}

// The words after "learn": one directory and each option at most once, as "--name N" or "--name=N";
// the island options only with --islands.
CommandLine ParseLearn(const std::vector<std::string>& words) {
    const CommandLine usage = Action(CommandLine::Usage);
    CommandLine result = Action(CommandLine::LearnRun);
    std::optional<std::uint32_t> numbers[4];  // seed, generations, migrate-every, migrants
    const char* const names[4] = {"--seed", "--generations", "--migrate-every", "--migrants"};
    const std::uint32_t least[4] = {0, 0, 1, 0}, most[4] = {UINT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
    bool haveDirectory = false, islands = false, search = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string name = words[i];
        std::optional<std::string> value = SplitValue(name);
        const auto option = std::find(std::begin(names), std::end(names), name) - std::begin(names);
        if (option < 4) {
            if (!value && i + 1 < words.size()) value = words[++i];
            const std::optional<std::uint32_t> number = Number(value.value_or(""), most[option]);
            if (!number || *number < least[option] || numbers[option]) return usage;
            numbers[option] = number;
        } else if (name == "--islands" && !value && !islands) {
            islands = true;
        } else if (name == "--seconds" || name == "--search") {
            if (!value && i + 1 < words.size()) value = words[++i];
            if (!value) return usage;
            if (name == "--seconds") {
                if (result.options.seconds || !(result.options.seconds = Seconds(*value))) return usage;
            } else {
                if (search || (*value != "gep" && *value != "tuned")) return usage;
                search = true;
                result.options.search = *value == "tuned" ? SearchKind::Tuned : SearchKind::Specified;
            }
        } else if (name.rfind("-", 0) == 0 || haveDirectory) {
            return usage;
        } else {
            result.directory = name;
            haveDirectory = true;
        }
    }
    if (!haveDirectory || (!islands && (numbers[2] || numbers[3]))) return usage;
    if (islands && result.options.search == SearchKind::Tuned) return usage;
    result.options.seed = numbers[0];
    if (numbers[1]) result.options.generations = static_cast<std::int32_t>(*numbers[1]);
    if (islands) {
        result.options.islands = IslandOptions{};
        if (numbers[2]) result.options.islands->migrateEvery = static_cast<std::int32_t>(*numbers[2]);
        if (numbers[3]) result.options.islands->migrants = static_cast<std::int32_t>(*numbers[3]);
    }
    return result;
}

// The words after "learn" when they name a table: the file and each option at most once, as
// "--name VALUE" or "--name=VALUE". A problem is said in `problem`.
CommandLine ParseLearnTable(const std::vector<std::string>& words) {
    CommandLine result = Action(CommandLine::LearnTableRun);
    TableRun& run = result.table;
    std::vector<std::string> seen;
    const auto refuse = [](const std::string& problem) {
        CommandLine usage = Action(CommandLine::Usage);
        usage.problem = "tarvo learn: " + problem + "; see tarvo --help";
        return usage;
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string name = words[i];
        std::optional<std::string> value = SplitValue(name);
        if (name.rfind("-", 0) != 0) {
            if (!run.file.empty()) return refuse("one table file only, not " + run.file + " and " + name);
            run.file = name;
            continue;
        }
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) return refuse(name + " given twice");
        seen.push_back(name);
        if (name == "--no-header" || name == "--keep-programs") {
            if (value) return refuse(name + " takes no value");
            if (name == "--no-header")
                run.csv.header = false;
            else
                run.keepPrograms = true;
            continue;
        }
        if (name == "--islands" || name == "--search" || name == "--migrate-every" || name == "--migrants")
            return refuse(name + " is for a working directory, not a table file");
        const char* const named[] = {"--target",    "--seconds", "--generations",
                                     "--functions", "--seed",    "--out"};
        if (std::find(std::begin(named), std::end(named), name) == std::end(named))
            return refuse("unknown option " + name);
        if (!value && i + 1 < words.size()) value = words[++i];
        if (!value) return refuse(name + " needs a value");
        const std::string quoted = " not \"" + *value + "\"";
        if (name == "--target") {
            if (value->empty()) return refuse("--target takes a column name");
            run.csv.target = *value;
        } else if (name == "--out") {
            if (value->empty()) return refuse("--out takes a directory");
            run.out = *value;
        } else if (name == "--seconds") {
            if (!(run.learning.seconds = Seconds(*value)))
                return refuse("--seconds takes a number of seconds such as 2.5, more than 0," + quoted);
        } else if (name == "--generations") {
            const std::optional<std::uint32_t> number = Number(*value, INT32_MAX);
            if (!number || *number == 0) return refuse("--generations takes a whole number from 1," + quoted);
            run.learning.generations = static_cast<std::int32_t>(*number);
        } else if (name == "--seed") {
            if (!(run.learning.seed = Number(*value, UINT32_MAX)))
                return refuse("--seed takes a whole number from 0 to 4294967295," + quoted);
        } else if (!(run.learning.functions = FunctionFlags(*value))) {
            return refuse("--functions takes names from " + FunctionList(kAllFunctions) + "," + quoted);
        }
    }
    if (run.file.empty()) return refuse("no table file given");
    return result;
}

// The operand of `learn`: the first word that is neither an option nor an option's value.
std::string LearnOperand(const std::vector<std::string>& words) {
    const char* const valued[] = {"--seed",     "--generations", "--seconds",   "--search", "--migrate-every",
                                  "--migrants", "--target",      "--functions", "--out"};
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i].rfind("-", 0) != 0) return words[i];
        if (std::find(std::begin(valued), std::end(valued), words[i]) != std::end(valued)) ++i;
    }
    return "";
}

}  // namespace

bool NamesTable(const std::string& path) {
    const std::string extension = boost::to_lower_copy(boost::filesystem::path(path).extension().string());
    boost::system::error_code error;
    return extension == ".csv" || extension == ".tsv" || extension == ".txt" ||
           boost::filesystem::is_regular_file(path, error);
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {};
    if (arguments.size() == 1 && arguments[0] == "--help") return Action(CommandLine::Help);
    if (arguments.size() == 1 && arguments[0] == "--version") return Action(CommandLine::Version);
    if (arguments[0] == "learn") {
        const std::vector<std::string> words(arguments.begin() + 1, arguments.end());
        const std::string operand = LearnOperand(words);
        return !operand.empty() && NamesTable(operand) ? ParseLearnTable(words) : ParseLearn(words);
    }
    return Action(CommandLine::Usage);
}

int RunTarvo(int argc, char** argv) {
    const CommandLine line = ParseCommandLine({argv + 1, argv + argc});
    switch (line.action) {
        case CommandLine::Console:
            return RunCommandLoop();
        case CommandLine::LearnRun:
            return Learn(line.directory, line.options);
        case CommandLine::LearnTableRun:
            return LearnTable(line.table);
        case CommandLine::Help:
            std::cout << kHelp;
            return 0;
        case CommandLine::Version:
            std::cout << "tarvo " << kTarvoVersion << "\nLicense: MIT\n";
            return 0;
        case CommandLine::Usage:
            break;
    }
    std::cerr << (line.problem.empty() ? kUsage : line.problem) << '\n';
    return 2;
}
