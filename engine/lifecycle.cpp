#include <boost/thread/thread.hpp>
#include <future>
#include <memory>
#include <stdexcept>

#include "compile/activation.h"
#include "compile/function_set.h"
#include "compile/training_rows.h"
#include "engine/engine.h"
#include "engine/settings_check.h"
#include "platform/memory_size.h"

// Refuses before it changes anything; then rebuilds everything a run starts from, in this order.
void CEngine::Initialise(UIUpdater& console, const CSettingsSerializer& current, const DataTable& table,
                         std::optional<std::uint32_t> runSeed) {
    Rows preparedRows;
    std::int32_t preparedInputCount = inputCount;
    PrepareTrainingRows(table, current, preparedRows, preparedInputCount);
    const std::string problem =
        SettingsProblem(current, preparedInputCount, preparedRows, UsableMemoryBytes());
    if (!problem.empty()) throw std::runtime_error(problem);

    Population().swap(population);
    Population().swap(nextPopulation);
    Population().swap(sparePrograms);
    Rows().swap(rows);
    fitnessIndex.clear();
    reporter = &console;
    settings = current;
    seed = runSeed;
    CreateGenerators();
    codeBuffers.clear();
    codeBuffers.resize(generators.size());
    BuildOpcodePool(settings.functionFlags, opcodePool, helperSource, activationSource);
    rows = std::move(preparedRows);
    inputCount = preparedInputCount;
    GenerateConstants();
    callRows = MakeCallRows(rows, inputCount, constants);
    knownFitness.Clear();
    knownFitness.Reserve(1 << 14);
    scorers.resize(generators.size());
    repeatedSums.resize(generators.size());
    for (std::unique_ptr<FastScorer>& scorer : scorers)
        if (!scorer) scorer = std::make_unique<FastScorer>();
}

// Returns once the new run holds runMutex, so a Stop right after finds it active.
void CEngine::Start() {
    if (!runMutex.try_lock()) return;
    runMutex.unlock();
    const auto holding = std::make_shared<std::promise<void>>();
    std::future<void> started = holding->get_future();
    boost::thread coordinator(
        [this, holding] { RunCoordinator(this, [&holding] { holding->set_value(); }); });
    coordinator.detach();
    started.wait();
}

void CEngine::Stop() {
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

void CEngine::Wait() {
    runMutex.lock();
    runMutex.unlock();
}
