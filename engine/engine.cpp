#include "engine/engine.h"

boost::mutex runMutex;
boost::mutex stopMutex;
boost::mutex resultsMutex;
std::atomic<bool> stopRequested{false};

// Generators and code buffers first, then the populations and rows, then the rest.
CEngine::~CEngine() {
    generators.clear();
    codeBuffers.clear();
    Population().swap(population);
    Population().swap(nextPopulation);
    Rows().swap(rows);
}

// A flag rather than a try-lock of stopMutex: a try-lock also fails while another thread is just
// testing, which would end a run nobody asked to stop.
bool CEngine::StopRequested() { return stopRequested.load(std::memory_order_acquire); }

FitnessRules CEngine::Rules() const {
    return {settings.type == Classifier, ClassRuleOf(settings), settings.worstFitness};
}
