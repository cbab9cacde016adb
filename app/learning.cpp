#include "app/learning.h"

#include <exception>

#include "app/console_reporter.h"
#include "app/singleton_holder.h"
#include "engine/engine.h"
#include "platform/stop_signals.h"
#include "workspace/console.h"
#include "workspace/data_import.h"
#include "workspace/settings.h"

namespace {

// The process-wide engine and reporter, made before the command loop reads its first word.
CEngine& Engine() { return CSingletonHolder<CEngine>::Instance(); }
CTarvoUI& Reporter() { return CSingletonHolder<CTarvoUI>::Instance(); }

}  // namespace

void PrepareLearning() {
    Engine();
    Reporter();
}

bool StartLearning(const std::string& directory, const RunOptions& options) {
    StopLearning();
    if (directory.empty()) {
        PrintLine("Set the working directory");
        return false;
    }
    if (!SettingsFileExists(directory)) {
        PrintLine("No Settings Created. Create Settings: '3'");
        return false;
    }
    PrintLine("Using Settings.");
    ApplySettings(LoadSettings(directory));
    if (!DataFileExists(directory)) {
        PrintLine("No Data. Import Data: '4'");
        return false;
    }
    LoadData(directory);
    CSettingsSerializer run = currentSettings;
    if (options.generations) run.generations = *options.generations;
    Engine().Initialise(Reporter(), run, dataTable, options.seed);
    Reporter().SetOutputDirectory(directory);
    Engine().Start();
    return true;
}

void StopLearning() { Engine().Stop(); }

int Learn(const std::string& directory, const RunOptions& options) {
    PrepareLearning();
    HoldStopSignals();  // before the run's threads exist, so that they inherit it
    try {
        if (!StartLearning(directory, options)) return 1;
    } catch (const std::exception& error) {
        PrintLine(error.what());
        return 1;
    }
    const int signal = WaitForStopSignal([] { Engine().Wait(); }, StopLearning);
    if (signal != 0) return 128 + signal;
    return Reporter().RunHasFailed() ? 1 : 0;
}
