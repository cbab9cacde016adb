#include "engine/run_control.h"

#include <boost/thread/thread.hpp>
#include <future>
#include <memory>

void RunControl::Start(std::function<void()> run) {
    if (!runMutex.try_lock()) return;
    runMutex.unlock();
    const auto holding = std::make_shared<std::promise<void>>();
    std::future<void> started = holding->get_future();
    boost::thread thread([this, holding, run = std::move(run)] {
        runMutex.lock();
        holding->set_value();
        run();  // it ends every run by itself, failures included
        runMutex.unlock();
    });
    thread.detach();
    started.wait();
}

void RunControl::Stop() {
    if (runMutex.try_lock()) {
        runMutex.unlock();
        return;
    }
    stopMutex.lock();
    stopRequested.store(true, std::memory_order_release);
    runMutex.lock();
    runMutex.unlock();
    stopRequested.store(false, std::memory_order_release);
    stopMutex.unlock();
}

void RunControl::Wait() {
    runMutex.lock();
    runMutex.unlock();
}

bool RunControl::Active() {
    if (!runMutex.try_lock()) return true;
    runMutex.unlock();
    return false;
}
