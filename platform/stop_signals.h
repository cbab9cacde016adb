#pragma once
// SIGINT and SIGTERM as requests to finish work cleanly instead of ending the process at once.
// One object at a time, made on the main thread.
#include <functional>

class StopSignals {
  public:
    // From here on the two signals no longer end the process: they are noted, on any thread, and
    // wait for WaitFor.
    StopSignals();
    // Restores what the signals did before.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Runs `work` on a thread of its own until it ends: 0 when it ended by itself; otherwise the
    // number of the first signal noted (also one noted before this call), after `onSignal` has run
    // on this thread to make the work end.
    int WaitFor(const std::function<void()>& work, const std::function<void()>& onSignal);
};
