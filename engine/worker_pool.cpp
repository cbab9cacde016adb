#include "engine/worker_pool.h"

WorkerPool::~WorkerPool() {
    {
        boost::lock_guard<boost::mutex> lock(mutex);
        ending = true;
    }
    wake.notify_all();
    threads.join_all();
}

void WorkerPool::Run(int roundCores, const std::function<void(int)>& roundWork) {
    if (roundCores <= 0) return;
    Grow(roundCores - 1);
    {
        boost::lock_guard<boost::mutex> lock(mutex);
        cores = roundCores;
        pending = roundCores - 1;
        work = &roundWork;
        failures.assign(static_cast<std::size_t>(roundCores), nullptr);
        ++round;
    }
    if (roundCores > 1) wake.notify_all();
    Perform(0);
    boost::unique_lock<boost::mutex> lock(mutex);
    finished.wait(lock, [this] { return pending == 0; });
    work = nullptr;
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

// Threads are added as rounds need them and kept until the pool ends.
void WorkerPool::Grow(int wanted) {
    for (; helpers < wanted; ++helpers) {
        const int c = helpers + 1;
        threads.create_thread([this, c] { Serve(c); });
    }
}

void WorkerPool::Serve(int c) {
    std::uint64_t seen = 0;
    boost::unique_lock<boost::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this, seen] { return ending || round != seen; });
        if (ending) return;
        seen = round;
        if (c >= cores) continue;
        lock.unlock();
        Perform(c);
        lock.lock();
        if (--pending == 0) finished.notify_one();
    }
}

void WorkerPool::Perform(int c) {
    try {
        (*work)(c);
    } catch (...) {
        failures[static_cast<std::size_t>(c)] = std::current_exception();
    }
}
