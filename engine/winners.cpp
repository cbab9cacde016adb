#include <boost/thread/lock_guard.hpp>

#include "engine/engine.h"

namespace {

// A copy of `program` in the storage of a program of an earlier generation where one is left, so
// that breeding stops allocating once programs have reached their sizes.
Program CopyInto(Population& spares, const Program& program) {
    if (spares.empty()) return program;
    Program copy = std::move(spares.back());
    spares.pop_back();
    copy.assign(program.begin(), program.end());
    return copy;
}

}  // namespace

void CEngine::AppendWinners(int core, const Program& winner, const Program& runnerUp) {
    boost::lock_guard<boost::mutex> lock(resultsMutex);
    Population& to = seed ? workerWinners[static_cast<std::size_t>(core)] : nextPopulation;
    to.push_back(CopyInto(sparePrograms, winner));
    to.push_back(CopyInto(sparePrograms, runnerUp));
}

void CEngine::RecyclePrograms(Population& programs) {
    for (Program& program : programs) sparePrograms.push_back(std::move(program));
    programs.clear();
}

void CEngine::MergeWinners() {
    for (Population& own : workerWinners) {
        nextPopulation.insert(nextPopulation.end(), std::make_move_iterator(own.begin()),
                              std::make_move_iterator(own.end()));
        own.clear();
    }
}
