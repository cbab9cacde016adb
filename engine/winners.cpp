#include <boost/thread/lock_guard.hpp>

#include "engine/engine.h"

void CEngine::AppendWinners(int core, const Program& winner, const Program& runnerUp) {
    if (seed) {
        Population& own = workerWinners[static_cast<std::size_t>(core)];
        own.push_back(winner);
        own.push_back(runnerUp);
        return;
    }
    boost::lock_guard<boost::mutex> lock(resultsMutex);
    nextPopulation.push_back(winner);
    nextPopulation.push_back(runnerUp);
}

void CEngine::MergeWinners() {
    for (Population& own : workerWinners) {
        nextPopulation.insert(nextPopulation.end(), std::make_move_iterator(own.begin()),
                              std::make_move_iterator(own.end()));
        own.clear();
    }
}
