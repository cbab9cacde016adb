#pragma once
// Threads kept from one parallel phase to the next: starting and joining a thread costs about a
// fifth of a millisecond here, several times per generation, which small generations cannot hide.
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

class WorkerPool {
  public:
    WorkerPool() = default;
    ~WorkerPool();  // ends and joins the threads
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Runs work(c) for c = 0 .. cores-1, work(0) on the calling thread, and returns when all have
    // returned; the first failure (of a work or of starting a thread) is thrown then.
    void Run(int cores, const std::function<void(int)>& work);

  private:
    void Grow(int helpers);
    void Serve(int c);  // a helper thread's loop; c >= 1
    void Perform(int c);

    boost::mutex mutex;
    boost::condition_variable wake, finished;
    std::uint64_t round = 0;  // one more for each Run
    int cores = 0;            // of the current round
    int pending = 0;          // helpers of the current round still working
    bool ending = false;
    const std::function<void(int)>* work = nullptr;
    std::vector<std::exception_ptr> failures;
    boost::thread_group threads;
    int helpers = 0;
};
