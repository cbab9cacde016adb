#include "engine/tuned_front.h"

#include <algorithm>
#include <cmath>
#include <limits>

void TunedFront::Offer(const TunedIndividual& individual) {
    if (individual.size >= bySize_.size() || !std::isfinite(individual.error)) return;
    TunedIndividual& best = bySize_[individual.size];
    if (individual.error < best.error) best = individual;
}

std::vector<const TunedIndividual*> TunedFront::Members() const {
    std::vector<const TunedIndividual*> members;
    double lowest = std::numeric_limits<double>::infinity();
    for (const TunedIndividual& best : bySize_) {
        if (!(best.error < lowest)) continue;
        lowest = best.error;
        members.push_back(&best);
    }
    return members;
}

std::size_t ChooseModel(const std::vector<double>& errors, double targetVariance) {
    double lowest = std::numeric_limits<double>::infinity();
    for (double error : errors) lowest = std::min(lowest, error);
    const double enough = lowest * 1.01 + 1e-10 * targetVariance;
    for (std::size_t i = 0; i < errors.size(); ++i)
        if (errors[i] <= enough) return i;
    return errors.empty() ? 0 : errors.size() - 1;
}
