#pragma once
// A program of the tuned search with what scoring found out about it.
#include <cstddef>
#include <limits>

#include "engine/tuned_program.h"
#include "engine/tuned_scaling.h"

struct TunedIndividual {
    TunedTree tree;
    Scaling scaling;
    double error = std::numeric_limits<double>::infinity();  // on the training rows, as reported
    std::size_t size = 0;                                      // instructions of its program
};

// Lower error first, then the shorter program.
inline bool Better(const TunedIndividual& a, const TunedIndividual& b) {
    return a.error < b.error || (a.error == b.error && a.size < b.size);
}
