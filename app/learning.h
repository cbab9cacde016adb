#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "engine/islands.h"

// What `tarvo learn` may change about a run; the console's command 5 changes nothing.
struct RunOptions {
    std::optional<std::uint32_t> seed;        // none: the generators are seeded from the clock
    std::optional<std::int32_t> generations;  // none: as many as the settings file says
    std::optional<IslandOptions> islands;     // none: a single process
};

// Makes the process-wide engine and reporter; called once at start-up, before any thread starts.
void PrepareLearning();

// Command 5: stops a run, loads the settings and the data of `directory` and starts learning.
// False when it printed why it could not start.
bool StartLearning(const std::string& directory, const RunOptions& options = {});

// Command 6, quit and the end of input: asks a run to end and waits for it.
void StopLearning();

// `tarvo learn`: one run in `directory`, as command 5 would start it, waited for without a
// console. Returns the exit status: 0 when the run ended by itself, 1 when it could not start,
// failed or could not write a program file (a closing line counts them), 128 + the signal when
// SIGINT or SIGTERM stopped it. With `options.islands` this process is one island of the MPI job it
// runs in; 2 when the build has no MPI.
int Learn(const std::string& directory, const RunOptions& options);
