#include "engine/engine.h"

boost::mutex runMutex;
boost::mutex stopMutex;
boost::mutex resultsMutex;

// Generators and code buffers first, then the populations and rows, then the rest.
CEngine::~CEngine() {
    generators.clear();
    codeBuffers.clear();
    Population().swap(population);
    Population().swap(nextPopulation);
    Rows().swap(rows);
}

bool CEngine::StopRequested() {
    if (!stopMutex.try_lock()) return true;
    stopMutex.unlock();
    return false;
}
