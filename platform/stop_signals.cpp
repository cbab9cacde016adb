#include "platform/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

namespace {

// The handler only writes the signal number to a pipe (an async-signal-safe call); the end of
// the work is a 0 written to the same pipe, so one blocking read learns which came first.
int notes[2] = {-1, -1};
struct sigaction previousInt, previousTerm;

void Note(int signal) {
    const int saved = errno;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = write(notes[1], &number, 1);
    errno = saved;
}

// A pipe that cannot be read any more counts as the end of the work.
char NextNote() {
    char note = 0;
    while (read(notes[0], &note, 1) != 1)
        if (errno != EINTR) return 0;
    return note;
}

}  // namespace

StopSignals::StopSignals() {
    if (pipe2(notes, O_CLOEXEC) != 0) throw std::runtime_error("cannot watch for signals");
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    close(notes[0]);
    close(notes[1]);
}

int StopSignals::WaitFor(const std::function<void()>& work, const std::function<void()>& onSignal) {
    std::thread worker([&work] {
        work();
        Note(0);
    });
    const char first = NextNote();
    if (first != 0) {
        onSignal();
        while (NextNote() != 0) {
        }
    }
    worker.join();
    return first;
}
