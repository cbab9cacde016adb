#include "python/fit_run.h"

#include <stdexcept>

void FitRun::Collector::EngineStopped() {
    std::lock_guard<std::mutex> lock(mutex);
    ended = true;
    stopped.notify_all();
}

void FitRun::Collector::RunFailed(std::string message) {
    std::lock_guard<std::mutex> lock(mutex);
    failure = std::move(message);
}

void FitRun::Collector::FrontFound(const std::vector<FrontModel>& front, std::size_t chosen) {
    std::lock_guard<std::mutex> lock(mutex);
    result = {front, chosen};
}

FitRun::FitRun(const DataTable& table, const LearningPlan& plan) : seconds_(plan.setup.seconds) {
    engine_.Initialise(collector_, plan.settings, table, plan.setup);
}

void FitRun::Start() { engine_.Start(); }

bool FitRun::WaitFor(std::chrono::milliseconds slice) {
    {
        std::unique_lock<std::mutex> lock(collector_.mutex);
        if (!collector_.stopped.wait_for(lock, slice, [this] { return collector_.ended; })) return false;
    }
    engine_.Wait();  // the run's thread returns right after its last report
    return true;
}

void FitRun::Stop() { engine_.Stop(); }

FitResult FitRun::Result() const {
    if (!collector_.failure.empty()) throw std::runtime_error(collector_.failure);
    if (collector_.result.front.empty())
        throw std::runtime_error("the run ended before it had scored a model" +
                                 (seconds_ > 0 ? ": allow more than " + std::to_string(seconds_) + " seconds"
                                               : std::string()));
    return collector_.result;
}
