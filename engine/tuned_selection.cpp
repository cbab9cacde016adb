#include "engine/tuned_selection.h"

#include <algorithm>
#include <numeric>

std::size_t Tournament(TunedRandom& random, const std::vector<TunedIndividual>& population, std::size_t size) {
    const auto n = static_cast<std::uint32_t>(population.size());
    std::size_t best = random.Below(n);
    for (std::size_t k = 1; k < size; ++k) {
        const std::size_t other = random.Below(n);
        if (Better(population[other], population[best])) best = other;
    }
    return best;
}

void KeepBest(std::vector<TunedIndividual>& population, std::vector<TunedIndividual>& offspring,
              std::size_t count) {
    const std::size_t n = std::min(count, population.size() + offspring.size());
    std::vector<TunedIndividual*> all;
    all.reserve(n + offspring.size());
    for (TunedIndividual& individual : population) all.push_back(&individual);
    for (TunedIndividual& individual : offspring) all.push_back(&individual);
    std::stable_sort(all.begin(), all.end(), [](const TunedIndividual* a, const TunedIndividual* b) { return Better(*a, *b); });
    // Twins (same error and size) go behind the rest.
    std::vector<TunedIndividual*> unique, twins;
    for (TunedIndividual* individual : all) {
        const bool twin = !unique.empty() && unique.back()->error == individual->error &&
                          unique.back()->size == individual->size;
        (twin ? twins : unique).push_back(individual);
    }
    unique.insert(unique.end(), twins.begin(), twins.end());
    std::vector<TunedIndividual> next(n);
    for (std::size_t i = 0; i < n; ++i) std::swap(next[i], *unique[i]);
    std::swap(population, next);
    offspring.swap(next);  // what was left, as storage for the next offspring
}
