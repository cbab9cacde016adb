#include <boost/thread/lock_guard.hpp>

#include "engine/breeding.h"

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

void AppendWinners(BreedingResults& results, WorkerSlot& slot, bool seeded, const Program& winner,
                   const Program& runnerUp) {
    boost::lock_guard<boost::mutex> lock(results.resultsMutex);
    Population& to = seeded ? slot.winners : results.nextPopulation;
    to.push_back(CopyInto(results.sparePrograms, winner));
    to.push_back(CopyInto(results.sparePrograms, runnerUp));
}

void RecyclePrograms(BreedingResults& results, Population& programs) {
    for (Program& program : programs) results.sparePrograms.push_back(std::move(program));
    programs.clear();
}

void MergeWinners(BreedingResults& results, std::vector<WorkerSlot>& slots) {
    for (WorkerSlot& slot : slots) {
        results.nextPopulation.insert(results.nextPopulation.end(), std::make_move_iterator(slot.winners.begin()),
                                      std::make_move_iterator(slot.winners.end()));
        slot.winners.clear();
    }
}
