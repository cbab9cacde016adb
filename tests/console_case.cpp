#include "tests/console_case.h"

#include <fcntl.h>
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

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool LineMatches(const std::string& pattern, const std::string& line) {
    for (const char* mark : {"~* ", "~ "})
        if (boost::starts_with(pattern, mark))
            return std::regex_match(line, std::regex(pattern.substr(strlen(mark))));
    return line == pattern;
}

bool Match(const std::vector<std::string>& pattern, std::size_t p, const std::vector<std::string>& lines,
           std::size_t l) {
    if (p == pattern.size()) return l == lines.size();
    if (boost::starts_with(pattern[p], "~* ") && Match(pattern, p + 1, lines, l)) return true;
    const std::size_t next = boost::starts_with(pattern[p], "~* ") ? p : p + 1;
    return l < lines.size() && LineMatches(pattern[p], lines[l]) && Match(pattern, next, lines, l + 1);
}

}  // namespace

ConsoleCase ParseConsoleCase(const std::string& name, const std::string& text) {
    ConsoleCase result{name, {}};
    for (const std::string& line : Lines(text)) {
        if (boost::starts_with(line, "=== ")) {
            const std::string header = line.substr(4);
            const auto blank = header.find(' ');
            result.sections.push_back(
                {header.substr(0, blank), blank == std::string::npos ? "" : header.substr(blank + 1), ""});
        } else if (!result.sections.empty()) {
            result.sections.back().content += line + "\n";
        }
    }
    for (ConsoleSection& section : result.sections) {
        if (!boost::ends_with(section.kind, "-raw")) continue;
        section.kind.resize(section.kind.size() - 4);
        if (!section.content.empty()) section.content.pop_back();
    }
    return result;
}

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

void CopyFolder(const std::string& from, const std::string& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from))
        fs::copy_file(entry.path(), fs::path(to) / entry.path().filename());
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    boost::split(words, line, boost::is_any_of(" "), boost::token_compress_on);
    words.erase(std::remove(words.begin(), words.end(), ""), words.end());
    return words;
}

namespace {

void WriteAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// `prefix`, the emulator's words (none on the host), then the program and its arguments.
std::vector<std::string> CommandWords(std::vector<std::string> words, const std::string& program,
                                      const std::vector<std::string>& args) {
    for (const std::string& word : Words(TARVO_EMULATOR)) words.push_back(word);
    words.push_back(program);
    words.insert(words.end(), args.begin(), args.end());
    return words;
}

// Starts the command in `directory` with standard input from `inputFd` and standard output and
// standard error into files.
pid_t Start(std::vector<std::string> words, const std::string& directory, int inputFd, const std::string& out,
            const std::string& errors) {
    const pid_t child = fork();
    if (child != 0) return child;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    const int output_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int error_fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (output_fd < 0 || error_fd < 0 || chdir(directory.c_str()) != 0) _exit(126);
    dup2(inputFd, 0);
    dup2(output_fd, 1);
    dup2(error_fd, 2);
    alarm(300);  // a hung program fails its case instead of the whole suite
    execvp(argv[0], argv.data());
    _exit(127);
}

// A pipe whose ends the child does not inherit but for its standard input.
void OpenPipe(int (&fds)[2]) {
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    signal(SIGPIPE, SIG_IGN);
}

bool OutputHasLine(const std::string& path, const std::regex& pattern) {
    for (const std::string& line : Lines(ReadFile(path)))
        if (std::regex_match(line, pattern)) return true;
    return false;
}

// Writes standard input line by line, carrying out the "~" lines on the way; gives the pattern
// of a wait that never matched.
std::string Feed(int fd, const std::string& input, pid_t child, const std::string& directory,
                 const std::string& out) {
    std::string timedOut;
    for (std::size_t at = 0, end; at < input.size(); at = end) {
        end = std::min(input.find('\n', at), input.size() - 1) + 1;
        const std::string line = input.substr(at, end - at);
        const std::string argument =
            boost::trim_right_copy_if(line.substr(line.find(' ') + 1), boost::is_any_of("\n"));
        if (boost::starts_with(line, "~wait ")) {
            const std::regex pattern(argument);
            for (int waited = 0; !OutputHasLine(out, pattern) && waited < 240000; waited += 10) usleep(10000);
            if (!OutputHasLine(out, pattern)) timedOut = argument;
        } else if (boost::starts_with(line, "~sleep ")) {
            usleep(static_cast<useconds_t>(std::stoi(argument)) * 1000);
        } else if (boost::starts_with(line, "~signal ")) {
            kill(child, argument == "INT"    ? SIGINT
                        : argument == "KILL" ? SIGKILL
                        : argument == "USR1" ? SIGUSR1
                                             : SIGTERM);
        } else if (boost::starts_with(line, "~remove ")) {
            boost::system::error_code error;  // the program may be adding a file meanwhile
            for (int tries = 0; tries < 100 && (tries == 0 || error); ++tries)
                fs::remove_all(directory + "/" + argument, error);
        } else {
            WriteAll(fd, line);
        }
    }
    return timedOut;
}

}  // namespace

ConsoleRun RunProgram(const std::string& directory, const std::string& input,
                      const std::vector<std::string>& arguments, const std::vector<std::string>& prefix,
                      const std::string& program) {
    const std::string out = directory + "/.stdout", err = directory + "/.stderr";
    int pipeFds[2];
    OpenPipe(pipeFds);
    const pid_t child = Start(CommandWords(prefix, program, arguments), directory, pipeFds[0], out, err);
    close(pipeFds[0]);
    ConsoleRun run;
    run.timedOut = Feed(pipeFds[1], input, child, directory, out);
    close(pipeFds[1]);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.output = ReadFile(out);
    run.errors = ReadFile(err);
    fs::remove(out);
    fs::remove(err);
    return run;
}

std::vector<std::vector<std::string>> DataCases(const std::string& name) {
    std::vector<std::vector<std::string>> cases;
    for (const std::string& line : Lines(ReadFile(TARVO_SOURCE_DIR "/tests/data/" + name))) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string>& fields = cases.emplace_back();
        boost::split(fields, line, boost::is_any_of("|"));
        for (std::string& field : fields) {
            boost::trim(field);
            for (const auto& [escape, text] :
                 {std::pair{"\\t", "\t"}, {"\\r", "\r"}, {"\\n", "\n"}, {"\\s", " "}})
                boost::replace_all(field, escape, text);
        }
    }
    if (cases.empty()) throw std::runtime_error("no cases in tests/data/" + name);
    return cases;
}

std::vector<std::vector<float>> FloatRows(const std::string& text) {
    std::vector<std::vector<float>> rows;
    std::vector<std::string> texts;
    boost::split(texts, text, boost::is_any_of(";"));
    for (const std::string& row : texts) {
        std::istringstream values(row);
        std::vector<float>& parsed = rows.emplace_back();
        for (std::string value; values >> value;) parsed.push_back(std::stof(value));
    }
    return text.empty() ? std::vector<std::vector<float>>{} : rows;
}
