#pragma once
// Golden console tests: the real program runs in a fresh temporary directory with a scripted
// standard input; its whole standard output, exit status and the files it leaves are compared.
//
// A case file is a list of sections, each a header line "=== <kind> [argument]" and content lines:
//   run ARGUMENTS    starts the next run of the program, with these blank-separated arguments; the
//                    sections up to the next "run" belong to it. Without any "run" the whole file
//                    is one run without arguments. Runs share the directory, one after the other.
//   args             the run's arguments, one a line
//   given PATH       a file to create before the run (given-raw: without the final newline)
//   given-dir PATH   a directory to create before the run
//   given-link PATH TARGET  a symbolic link to create before the run
//   given-tree PATH SOURCE  a copy of the source tree's directory SOURCE, made before the run
//   stdin            standard input (stdin-raw: without the final newline); a line "~wait REGEX"
//                    holds back the rest until the output has a line that matches, "~sleep MS"
//                    for that many milliseconds, "~signal INT" (TERM, KILL, USR1) sends that
//                    signal, "~remove PATH" removes PATH and all below it
//   mount PATH OPTIONS  the run sees PATH, with the files given in it, as a file system of its own
//                    mounted with OPTIONS (a tmpfs remounted with them: "ro", "size=8k"); the case
//                    is skipped where mounting is not allowed
//   stdout           the expected standard output, exactly
//   stderr           the expected standard error, exactly (unchecked when absent)
//   stdout-pattern   the expected standard output line by line, for runs whose timing varies: a line
//                    "~ REGEX" matches one line, "~* REGEX" any number of lines, others literally
//   file PATH        a file the run must leave, exactly (file-raw: without the final newline)
//   no-file PATH     a path the run must not leave
//   exists PATH      a path the run must leave, whatever it holds
//   exit N           the expected exit status (0 when absent)
// Lines before the first section are comments.
#include <functional>
#include <string>
#include <vector>

struct ConsoleSection {
    std::string kind;
    std::string argument;
    std::string content;
};

struct ConsoleCase {
    std::string name;
    std::vector<ConsoleSection> sections;
};

// Whether `output` matches a stdout-pattern section.
bool MatchesPattern(const std::string& output, const std::string& pattern);

ConsoleCase ParseConsoleCase(const std::string& name, const std::string& text);

struct ConsoleRun {
    std::string output;
    std::string errors;  // standard error
    int status = -1;
    std::string timedOut;  // the pattern of a wait that never matched
};

// Runs `program` (under the emulator when there is one) in `directory` with `arguments`, on the
// through the command `prefix` when it is not empty. Standard input may hold lines that are carried
// out instead of sent: "~wait REGEX" holds back the rest until the output has a line that matches,
// "~sleep MS" waits that many milliseconds, "~signal INT" (TERM, KILL, USR1) sends that signal and
// "~remove PATH" removes PATH and all below it.
ConsoleRun RunProgram(const std::string& directory, const std::string& input,
                      const std::vector<std::string>& arguments = {},
                      const std::vector<std::string>& prefix = {}, const std::string& program = TARVO_EXE);

std::string MakeTemporaryDirectory();
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
void CopyFolder(const std::string& from, const std::string& to);
std::vector<std::string> Words(const std::string& line);  // blank-separated

// What the call threw as an E, or "" when it returned.
template <class E>
std::string Thrown(const std::function<void()>& call) {
    try {
        call();
    } catch (const E& error) {
        return error.what();
    }
    return "";
}

// Cases kept as data in tests/data/NAME: one a line, fields split at '|' with the blanks around
// them trimmed; "\t", "\r", "\n" and "\s" (a blank) stand for themselves. Blank lines and lines
// starting with '#' are left out.
std::vector<std::vector<std::string>> DataCases(const std::string& name);
// Rows separated by ';', values by blanks; "" is no row at all.
std::vector<std::vector<float>> FloatRows(const std::string& text);
