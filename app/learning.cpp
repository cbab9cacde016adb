#include "app/learning.h"

#include <exception>
#include <iostream>
#include <string>

#include "app/console_reporter.h"
#include "app/console_state.h"
#include "app/island_output.h"
#include "app/islands_mpi.h"
#include "app/singleton_holder.h"
#include "engine/engine.h"
#include "platform/seconds_clock.h"
#include "platform/stop_signals.h"
#include "workspace/console.h"
#include "workspace/data_import.h"
#include "workspace/settings.h"

namespace {

// The process-wide engine and reporter, made before the command loop reads its first word.
CEngine& Engine() { return CSingletonHolder<CEngine>::Instance(); }
CTarvoUI& Reporter() { return CSingletonHolder<CTarvoUI>::Instance(); }

// Loads the settings and the data of `directory` into `run` and the data table, saying so; false
// when it printed why it could not.
bool LoadRun(const std::string& directory, const RunOptions& options, CSettingsSerializer& run) {
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
    LoadData(directory, dataTable);
    run = currentSettings;
    if (options.generations) run.generations = *options.generations;
    return true;
}

// The run's settings and data as one number, so islands can tell whether they all have the same.
std::uint32_t Fingerprint(const CSettingsSerializer& settings, const DataTable& table) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    const auto add = [&hash](const void* data, std::size_t size) {
        for (std::size_t k = 0; k < size; ++k)
            hash = (hash ^ static_cast<const std::uint8_t*>(data)[k]) * 16777619u;
    };
    add(&settings, sizeof settings);
    for (const DataRow& row : table) {
        const std::uint32_t size = static_cast<std::uint32_t>(row.size());
        add(&size, sizeof size);
        add(row.data(), row.size() * sizeof(float));
    }
    return hash;
}

// Prepares this island's part of the run; true when every island could, with the same settings
// and data. The constants come from the run's seed, the same on every island, so that a migrant
// reads the same constants everywhere; the island's other draws come from the seed plus its number.
bool PrepareIsland(IslandLink& link, const std::string& directory, const RunOptions& options,
                   GenerationMeeting& meeting) {
    const std::uint32_t seed =
        link.FirstIslands(options.seed.value_or(static_cast<std::uint32_t>(SecondsNow())));
    bool ready = false;
    CSettingsSerializer run{};
    try {
        if (LoadRun(directory, options, run)) {
            Engine().Initialise(Reporter(), run, dataTable,
                                {seed + static_cast<std::uint32_t>(link.Island()), seed, &meeting});
            ready = true;
        }
    } catch (const std::exception& error) {
        PrintLine(error.what());
    }
    if (link.AnyIsland(!ready)) {
        if (ready) PrintLine("Another island could not start.");
        return false;
    }
    const std::uint32_t fingerprint = Fingerprint(run, dataTable);
    if (link.AnyIsland(link.FirstIslands(fingerprint) != fingerprint)) {
        PrintLine("The islands do not have the same settings and data.");
        return false;
    }
    return true;
}

// How a run of `tarvo learn` ends: 128 + the signal that stopped it, else 1 when it failed or left
// program files unwritten (said in a closing line), else 0.
int EndOfRun(int signal) {
    const int unwritten = Reporter().UnwrittenProgramFiles();
    if (unwritten > 0)
        PrintLine(std::to_string(unwritten) + (unwritten == 1 ? " program file" : " program files") +
                  " could not be written");
    if (signal != 0) return 128 + signal;
    return Reporter().RunHasFailed() || unwritten > 0 ? 1 : 0;
}

// One island of an island run, started and waited for.
int LearnOnIsland(IslandLink& link, const std::string& directory, const RunOptions& options) {
    IslandOutput output(link.Island());
    IslandMeeting meeting(link, *options.islands);
    if (!PrepareIsland(link, directory, options, meeting)) {
        output.CouldNotStart();
        return 1;
    }
    output.Started();
    Reporter().SetOutputDirectory(directory);
    Engine().Start();
    const int signal = WaitForStopSignal([] { Engine().Wait(); }, StopLearning);
    // The other islands would wait for this one at the next meeting.
    if (Reporter().RunHasFailed()) link.Abort(1);
    return EndOfRun(signal);
}

int LearnOnIslands(const std::string& directory, const RunOptions& options) {
    PrepareLearning();
    HoldStopSignals();  // before MPI starts threads of its own
    const std::unique_ptr<IslandLink> link = JoinIslands();
    if (!link) {
        std::cerr << "tarvo: --islands is not available: this tarvo was built without MPI\n";
        return 2;
    }
    return LearnOnIsland(*link, directory, options);
}

}  // namespace

void PrepareLearning() {
    Engine();
    Reporter();
}

bool StartLearning(const std::string& directory, const RunOptions& options) {
    StopLearning();
    CSettingsSerializer run;
    if (!LoadRun(directory, options, run)) return false;
    Engine().Initialise(Reporter(), run, dataTable, {options.seed, std::nullopt, nullptr});
    Reporter().SetOutputDirectory(directory);
    Engine().Start();
    return true;
}

void StopLearning() { Engine().Stop(); }

int Learn(const std::string& directory, const RunOptions& options) {
    if (options.islands) return LearnOnIslands(directory, options);
    PrepareLearning();
    HoldStopSignals();  // before the run's threads exist, so that they inherit it
    try {
        if (!StartLearning(directory, options)) return 1;
    } catch (const std::exception& error) {
        PrintLine(error.what());
        return 1;
    }
    return EndOfRun(WaitForStopSignal([] { Engine().Wait(); }, StopLearning));
}
