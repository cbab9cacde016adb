#include "app/command_loop.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <exception>
#include <locale>

#include "app/console_state.h"
#include "app/learning.h"
#include "workspace/console.h"
#include "workspace/data_import.h"
#include "workspace/file_replacement.h"
#include "workspace/settings.h"
#include "workspace/settings_dialog.h"
#include "workspace/version.h"
#include "workspace/working_directory.h"

namespace {

enum class Next { Continue, Quit };

struct Command {
    const char* words[2];
    const char* help;
    Next (*run)();
};

Next Help();

Next Quit() {
    StopLearning();
    return Next::Quit;
}

Next SetDirectory() {
    workingDirectory = SetWorkingDirectory();
    return Next::Continue;
}

Next UseExisting() {
    UseExistingSettings(GetWorkingDirectory());
    LoadData(GetWorkingDirectory(), dataTable);
    return Next::Continue;
}

Next Create() {
    CreateSettings(GetWorkingDirectory());
    return Next::Continue;
}

Next Import() {
    ImportData(GetWorkingDirectory(), dataTable);
    return Next::Continue;
}

Next Start() {
    StartLearning(GetWorkingDirectory());
    return Next::Continue;
}

Next Stop() {
    StopLearning();
    return Next::Continue;
}

Next PrintDirectory() {
    if (workingDirectory.empty())
        PrintLine("Working Directory is not set. Set directory: '1'");
    else
        PrintLine("Working Directory is set to " + workingDirectory);
    return Next::Continue;
}

Next Print() {
    PrintSettings(GetWorkingDirectory());
    return Next::Continue;
}

// One table drives both the dispatch and the help text.
const Command kCommands[] = {
    {{"?", "help"}, "Help Information: Type '?' or 'help'", Help},
    {{"q", "quit"}, "Quit: 'q' or 'quit'", Quit},
    {{"1", nullptr}, "Set Working Directory: '1'", SetDirectory},
    {{"2", nullptr}, "Use existing settings and data: '2'", UseExisting},
    {{"3", nullptr}, "Create Settings: '3'", Create},
    {{"4", nullptr}, "Import Data: '4'", Import},
    {{"5", nullptr}, "Start Learning: '5'", Start},
    {{"6", nullptr}, "Stop Learning: '6'", Stop},
    {{"7", nullptr}, "Print Working Directory: '7'", PrintDirectory},
    {{"8", nullptr}, "Print Settings: '8'", Print},
};

Next Help() {
    for (const Command& command : kCommands) PrintLine(command.help);
    return Next::Continue;
}

const Command* Find(const std::string& word) {
    for (const Command& command : kCommands)
        for (const char* name : command.words)
            if (name && word == name) return &command;
    return nullptr;
}

// Failures inside a command print their own message; the loop goes on.
Next Run(const std::string& word) {
    const Command* command = Find(word);
    if (!command) {
        PrintLine("Unknown Instruction.  Type '?' for help");
        return Next::Continue;
    }
    try {
        return command->run();
    } catch (const std::exception& error) {
        PrintLine(error.what());
        return Next::Continue;
    }
}

}  // namespace

int RunCommandLoop() {
    PrepareLearning();
    PrintLine(std::string("Welcome to Tarvo ") + kTarvoVersion + ".  Press '?' or 'help' for help.");
    std::string word;
    while (ReadWord(word)) {
        const Next next = Run(boost::algorithm::to_lower_copy(word, std::locale::classic()));
        if (!workingDirectory.empty()) RemoveStaleTemporaries(workingDirectory);
        if (next == Next::Quit) return 0;
    }
    try {
        StopLearning();
    } catch (const std::exception& error) {
        PrintLine(error.what());
    }
    return 0;
}
