#include "tests/console_case.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/algorithm/string.hpp>
#include <boost/filesystem.hpp>
#include <fstream>
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

ConsoleRun RunProgram(const std::string& directory, const std::string& input) {
    const std::string in = directory + "/.stdin", out = directory + "/.stdout";
    WriteFile(in, input);
    std::vector<std::string> words;
    boost::split(words, std::string(TARVO_EMULATOR), boost::is_any_of(" "), boost::token_compress_on);
    words.erase(std::remove(words.begin(), words.end(), ""), words.end());
    words.push_back(TARVO_EXE);
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(&word[0]);
        argv.push_back(nullptr);
        const int input_fd = open(in.c_str(), O_RDONLY);
        const int output_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (input_fd < 0 || output_fd < 0 || chdir(directory.c_str()) != 0) _exit(126);
        dup2(input_fd, 0);
        dup2(output_fd, 1);
        alarm(120);  // a hung program fails its case instead of the whole suite
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ConsoleRun run;
    run.output = ReadFile(out);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    fs::remove(in);
    fs::remove(out);
    return run;
}
