#include "platform/stop_signals.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

namespace {

// The work's thread wakes the waiting thread with this signal when the work has ended, so one
// sigwait learns which came first. Only the flag the work's thread sets first says that the work
// has ended: one sent from outside is held like the stops, and taken and ignored.
constexpr int kWorkEnded = SIGUSR1;

// Held signals are taken with sigwait rather than caught by a handler: no code runs at an
// arbitrary moment, and the signals reach the waiting thread also under emulators and sanitizers
// that defer handlers.
sigset_t Held() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, kWorkEnded);
    return set;
}

// The next stop, or kWorkEnded once the work has ended.
int Take(const sigset_t& held, const std::atomic<bool>& ended) {
    for (;;) {
        int signal = 0;
        if (sigwait(&held, &signal) != 0) continue;
        if (signal != kWorkEnded || ended.load(std::memory_order_acquire)) return signal;
    }
}

}  // namespace

void HoldStopSignals() {
    const sigset_t held = Held();
    pthread_sigmask(SIG_BLOCK, &held, nullptr);
}

int WaitForStopSignal(const std::function<void()>& work, const std::function<void()>& onSignal) {
    const pthread_t waiter = pthread_self();
    std::atomic<bool> ended{false};
    std::thread worker([&work, &ended, waiter] {
        work();
        ended.store(true, std::memory_order_release);
        pthread_kill(waiter, kWorkEnded);
    });
    const sigset_t held = Held();
    const int first = Take(held, ended);
    if (first != kWorkEnded) {
        onSignal();
        while (Take(held, ended) != kWorkEnded) {
        }
    }
    worker.join();
    return first == kWorkEnded ? 0 : first;
}
