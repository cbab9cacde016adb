#include "engine/engine.h"

#include <exception>

CEngine::~CEngine() { control.Stop(); }

void CEngine::Initialise(UIUpdater& console, const CSettingsSerializer& current, const DataTable& table,
                         const RunSetup& setup) {
    auto prepared = std::make_unique<GepSearch>();
    prepared->Prepare(current, table, setup.seed, setup.constantsSeed);
    prepared->meeting = setup.meeting;
    search = std::move(prepared);
    reporter = &console;
}

// A failure inside the run is reported on one line and ends it like a stop.
void CEngine::Start() {
    if (!search) return;
    control.Start([this] {
        try {
            search->Run(*reporter, control);
        } catch (const std::exception& error) {
            reporter->RunFailed(error.what());
            reporter->EngineStopped();
        } catch (...) {
            reporter->RunFailed("unknown error");
            reporter->EngineStopped();
        }
    });
}

void CEngine::Stop() { control.Stop(); }

void CEngine::Wait() { control.Wait(); }
