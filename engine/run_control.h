#pragma once
// Whether a run is active and whether it should stop, for one engine: every engine has its own, so
// stopping one run stops no other.
//
// A run is active while its thread holds runMutex; Stop holds stopMutex while it waits and raises
// stopRequested for exactly that time, which every stop test reads. Lock order: stopMutex before
// runMutex. Start, Stop and Wait belong to the thread that owns the engine; StopRequested may be
// called from any thread.
#include <atomic>
#include <boost/thread/mutex.hpp>
#include <functional>

class RunControl {
  public:
    // Runs `run` on a new detached thread that holds runMutex from before `run` to after it, and
    // returns once it does, so a Stop right after finds the run active. Does nothing while a run is
    // active.
    void Start(std::function<void()> run);
    // Asks an active run to stop and returns once it has ended; returns at once when none is active.
    void Stop();
    // Returns once no run is active.
    void Wait();
    // Whether a run is active now.
    bool Active();
    // A flag rather than a try-lock of stopMutex: a try-lock also fails while another thread is just
    // testing, which would end a run nobody asked to stop.
    bool StopRequested() const { return stopRequested.load(std::memory_order_acquire); }

  private:
    boost::mutex runMutex;
    boost::mutex stopMutex;
    std::atomic<bool> stopRequested{false};
};
