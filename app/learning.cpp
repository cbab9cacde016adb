#include "app/learning.h"

#include "app/console_reporter.h"
#include "app/singleton_holder.h"
#include "engine/engine.h"
#include "workspace/console.h"
#include "workspace/data_import.h"
#include "workspace/settings.h"
#include "workspace/working_directory.h"

namespace {

// The process-wide engine and reporter, made before the command loop reads its first word.
CEngine& Engine() { return CSingletonHolder<CEngine>::Instance(); }
CTarvoUI& Reporter() { return CSingletonHolder<CTarvoUI>::Instance(); }

}  // namespace

void PrepareLearning() {
    Engine();
    Reporter();
}

void StartLearning() {
    StopLearning();
    const std::string directory = GetWorkingDirectory();
    if (directory.empty()) {
        PrintLine("Set the working directory");
        return;
    }
    if (!SettingsFileExists(directory)) {
        PrintLine("No Settings Created. Create Settings: '3'");
        return;
    }
    PrintLine("Using Settings.");
    ApplySettings(LoadSettings(directory));
    if (!DataFileExists(directory)) {
        PrintLine("No Data. Import Data: '4'");
        return;
    }
    LoadData(directory);
    Engine().Initialise(Reporter(), currentSettings, dataTable);
    Reporter().SetOutputDirectory(directory);
    Engine().Start();
}

void StopLearning() { Engine().Stop(); }
