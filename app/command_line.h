#pragma once
// The program's arguments: none for the console, `learn` for a run without one (in a working
// directory, or on a table file), --help, --version.
#include <string>
#include <vector>

#include "app/learning.h"
#include "app/table_learning.h"

struct CommandLine {
    enum Action { Console, LearnRun, Help, Version, Usage, LearnTableRun };
    Action action = Console;
    std::string directory;  // LearnRun only
    RunOptions options;     // LearnRun only
    TableRun table;         // LearnTableRun only
    std::string problem;    // Usage of `learn` on a table: what is wrong, in one line
};

// Whether `learn PATH` names a table rather than a working directory: a regular file, or a name
// ending in .csv, .tsv or .txt.
bool NamesTable(const std::string& path);

// `arguments` without the program name. Anything not understood gives Usage.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The whole program: parses the arguments and runs what they ask for; returns the exit status.
int RunTarvo(int argc, char** argv);
