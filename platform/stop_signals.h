#pragma once
// SIGINT and SIGTERM as requests to finish work cleanly instead of ending the process at once.
#include <functional>

// Holds the two signals back from the calling thread and from every thread it starts from here on,
// so that they no longer end the process but wait for WaitForStopSignal; SIGUSR1 too, with which
// the wait learns that its work has ended, and which from anywhere else does nothing. For the main
// thread of a program that ends after the wait: they stay held.
void HoldStopSignals();

// Runs `work` on a thread of its own until it ends. Returns 0 when it ended by itself; otherwise
// the number of the first signal held (also one that came before this call), after `onSignal`
// has run on this thread to make the work end.
int WaitForStopSignal(const std::function<void()>& work, const std::function<void()>& onSignal);
