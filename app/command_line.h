#pragma once
// The program's arguments: none for the console, `learn` for a run without one, --help, --version.
#include <string>
#include <vector>

#include "app/learning.h"

struct CommandLine {
    enum Action { Console, LearnRun, Help, Version, Usage };
    Action action = Console;
    std::string directory;  // Learn only
    RunOptions options;     // Learn only
};

// `arguments` without the program name. Anything not understood gives Usage.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The whole program: parses the arguments and runs what they ask for; returns the exit status.
int RunTarvo(int argc, char** argv);
