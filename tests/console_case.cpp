#include "tests/console_case.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <boost/algorithm/string.hpp>
#include <boost/filesystem.hpp>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace fs = boost::filesystem;

ConsoleCase ParseConsoleCase(const std::string& name, const std::string& text) {
    ConsoleCase result{name, {}};
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (boost::starts_with(line, "=== ")) {
            ConsoleSection section;
            std::string header = line.substr(4);
            const auto blank = header.find(' ');
            section.kind = header.substr(0, blank);
            if (blank != std::string::npos) section.argument = header.substr(blank + 1);
            result.sections.push_back(section);
        } else if (!result.sections.empty()) {
            result.sections.back().content += line + "\n";
        }
    }
    for (ConsoleSection& section : result.sections) {
        if (boost::ends_with(section.kind, "-raw")) {
            section.kind.resize(section.kind.size() - 4);
            if (!section.content.empty()) section.content.pop_back();
        }
    }
    return result;
}

std::vector<std::string> CaseFiles(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::path(TARVO_SOURCE_DIR) / "tests" / folder))
        if (entry.path().extension() == ".case") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string CaseName(const std::string& path) {
    std::string name = fs::path(path).stem().string();
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

bool LineMatches(const std::string& pattern, const std::string& line) {
    if (boost::starts_with(pattern, "~* ")) return std::regex_match(line, std::regex(pattern.substr(3)));
    if (boost::starts_with(pattern, "~ ")) return std::regex_match(line, std::regex(pattern.substr(2)));
    return line == pattern;
}

bool Match(const std::vector<std::string>& pattern, std::size_t p, const std::vector<std::string>& lines,
           std::size_t l) {
    if (p == pattern.size()) return l == lines.size();
    if (boost::starts_with(pattern[p], "~* ")) {
        if (Match(pattern, p + 1, lines, l)) return true;
        return l < lines.size() && LineMatches(pattern[p], lines[l]) && Match(pattern, p, lines, l + 1);
    }
    return l < lines.size() && LineMatches(pattern[p], lines[l]) && Match(pattern, p + 1, lines, l + 1);
}

}  // namespace

bool MatchesPattern(const std::string& output, const std::string& pattern) {
    if (!output.empty() && output.back() != '\n') return false;
    return Match(Lines(pattern), 0, Lines(output), 0);
}

std::string MakeTemporaryDirectory() {
    char pattern[] = "/tmp/tarvo-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

namespace {

// Standard input in pieces: each piece after the first waits until the output holds a line that
// matches its pattern, so input can follow what a background run prints.
struct InputPiece {
    std::string waitFor;
    int sleepMilliseconds = 0;
    int signal = 0;
    std::string text;
};

std::vector<InputPiece> Pieces(const std::string& input) {
    std::vector<InputPiece> pieces(1);
    for (std::size_t at = 0; at < input.size();) {
        const std::size_t end = std::min(input.find('\n', at), input.size() - 1) + 1;
        const std::string line = input.substr(at, end - at);
        if (boost::starts_with(line, "~wait "))
            pieces.push_back({boost::trim_right_copy_if(line.substr(6), boost::is_any_of("\n")), 0, 0, ""});
        else if (boost::starts_with(line, "~sleep "))
            pieces.push_back({"", std::stoi(line.substr(7)), 0, ""});
        else if (boost::starts_with(line, "~signal "))
            pieces.push_back({"", 0, boost::starts_with(line, "~signal INT") ? SIGINT : SIGTERM, ""});
        else
            pieces.back().text += line;
        at = end;
    }
    return pieces;
}

bool OutputHasLine(const std::string& path, const std::regex& pattern) {
    for (const std::string& line : Lines(ReadFile(path)))
        if (std::regex_match(line, pattern)) return true;
    return false;
}

void WriteAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// The emulator's words (none on the host), the launcher's, then the program and its arguments.
std::vector<std::string> CommandWords(const std::string& program, const std::vector<std::string>& args,
                                      const std::vector<std::string>& launcher = {}) {
    std::vector<std::string> words;
    boost::split(words, std::string(TARVO_EMULATOR), boost::is_any_of(" "), boost::token_compress_on);
    words.erase(std::remove(words.begin(), words.end(), ""), words.end());
    words.insert(words.end(), launcher.begin(), launcher.end());
    words.push_back(program);
    words.insert(words.end(), args.begin(), args.end());
    return words;
}

// Starts the command in `directory` with standard input from `inputFd` and standard output (and
// standard error, unless `errors` is empty) into files.
pid_t Start(std::vector<std::string> words, const std::string& directory, int inputFd, const std::string& out,
            const std::string& errors, bool oneProcessor = false) {
    const pid_t child = fork();
    if (child != 0) return child;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    const int output_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int error_fd = errors.empty() ? 2 : open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (output_fd < 0 || error_fd < 0 || chdir(directory.c_str()) != 0) _exit(126);
    if (oneProcessor) {
        cpu_set_t first;
        CPU_ZERO(&first);
        CPU_SET(0, &first);
        if (sched_setaffinity(0, sizeof first, &first) != 0) _exit(126);
    }
    dup2(inputFd, 0);
    dup2(output_fd, 1);
    dup2(error_fd, 2);
    alarm(300);  // a hung program fails its case instead of the whole suite
    execvp(argv[0], argv.data());
    _exit(127);
}

int Wait(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ConsoleRun RunProgram(const std::string& directory, const std::string& input,
                      const std::vector<std::string>& arguments, bool oneProcessor,
                      const std::vector<std::string>& launcher) {
    const std::string out = directory + "/.stdout", err = directory + "/.stderr";
    int pipeFds[2];
    if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);  // the child keeps only its standard input
    fcntl(pipeFds[1], F_SETFD, FD_CLOEXEC);
    const pid_t child =
        Start(CommandWords(TARVO_EXE, arguments, launcher), directory, pipeFds[0], out, err, oneProcessor);
    close(pipeFds[0]);
    signal(SIGPIPE, SIG_IGN);
    ConsoleRun run;
    for (const InputPiece& piece : Pieces(input)) {
        if (!piece.waitFor.empty()) {
            const std::regex pattern(piece.waitFor);
            int waited = 0;
            while (!OutputHasLine(out, pattern) && waited < 240000) {
                usleep(10000);
                waited += 10;
            }
            if (!OutputHasLine(out, pattern)) run.timedOut = piece.waitFor;
        }
        if (piece.sleepMilliseconds > 0) usleep(static_cast<useconds_t>(piece.sleepMilliseconds) * 1000);
        if (piece.signal != 0) kill(child, piece.signal);
        WriteAll(pipeFds[1], piece.text);
    }
    close(pipeFds[1]);
    run.status = Wait(child);
    run.output = ReadFile(out);
    run.errors = ReadFile(err);
    fs::remove(out);
    fs::remove(err);
    return run;
}

ConsoleRun RunCommand(const std::string& program, const std::vector<std::string>& args,
                      const std::string& directory) {
    const std::string out = directory + "/.stdout", errors = directory + "/.stderr";
    const int input = open("/dev/null", O_RDONLY);
    ConsoleRun run;
    run.status = Wait(Start(CommandWords(program, args), directory, input, out, errors));
    close(input);
    run.output = ReadFile(out);
    run.errors = ReadFile(errors);
    fs::remove(out);
    fs::remove(errors);
    return run;
}
