#include "platform/stop_signals.h"

#include <pthread.h>
#include <signal.h>

#include <thread>

namespace {

// The work's thread tells the waiting thread that the work has ended with this signal, so one
// sigwait learns which came first. A stray one from outside only makes the wait join early.
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

int Take(const sigset_t& held) {
    int signal = 0;
    while (sigwait(&held, &signal) != 0) {
    }
    return signal;
}

}  // namespace

void HoldStopSignals() {
    const sigset_t held = Held();
    pthread_sigmask(SIG_BLOCK, &held, nullptr);
}

int WaitForStopSignal(const std::function<void()>& work, const std::function<void()>& onSignal) {
    const pthread_t waiter = pthread_self();
    std::thread worker([&work, waiter] {
        work();
        pthread_kill(waiter, kWorkEnded);
    });
    const sigset_t held = Held();
    const int first = Take(held);
    if (first != kWorkEnded) {
        onSignal();
        while (Take(held) != kWorkEnded) {
        }
    }
    worker.join();
    return first == kWorkEnded ? 0 : first;
}
