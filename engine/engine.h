#pragma once
// The learning engine: prepares a run from settings and a data table, runs it on a thread of its
// own, and stops it. Every engine has its own run, stop and state, so several can learn at once in
// one process; each says what happens only through the reporter it was given.
//
// Initialise, Start, Stop and Wait belong to the thread that owns the engine, and Initialise runs
// only while no run is active.
#include <cstdint>
#include <memory>
#include <optional>

#include "engine/gep_search.h"
#include "engine/progress_reporter.h"
#include "engine/run_control.h"
#include "workspace/data_file.h"
#include "workspace/settings.h"

// How a run is drawn, beside its settings.
struct RunSetup {
    // None: the clock seeds the generators. With a seed the run is reproducible (GepProblem::seed).
    std::optional<std::uint32_t> seed;
    // Draws the constants instead of `seed`, so that the islands of an island run share them.
    std::optional<std::uint32_t> constantsSeed;
    // An island run's meeting with the other islands; none in a single process. Not owned.
    GenerationMeeting* meeting = nullptr;
};

class CEngine {
  public:
    CEngine() = default;  // allocates nothing
    virtual ~CEngine();   // stops a run and waits for it
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // Refuses settings that cannot run (std::runtime_error, one line) before it changes anything.
    void Initialise(UIUpdater& console, const CSettingsSerializer& current, const DataTable& table,
                    const RunSetup& setup = {});
    void Start();
    void Stop();
    // Returns once no run is active.
    void Wait();
    bool StopRequested() const { return control.StopRequested(); }
    bool Active() { return control.Active(); }

  private:
    RunControl control;
    UIUpdater* reporter = nullptr;  // not owned
    std::unique_ptr<Search> search;
};
