#include "engine/tuned_selection.h"

#include <algorithm>

std::uint32_t Tournament(TunedRandom& random, const std::vector<TunedIndividual>& pool, const Positions& population,
                         std::size_t size) {
    const auto n = static_cast<std::uint32_t>(population.size());
    std::uint32_t best = population[random.Below(n)];
    for (std::size_t k = 1; k < size; ++k) {
        const std::uint32_t other = population[random.Below(n)];
        if (Better(pool[other], pool[best])) best = other;
    }
    return best;
}

void KeepBest(const std::vector<TunedIndividual>& pool, Positions& population, Positions& offspring,
              std::size_t count) {
    Positions all(population);
    all.insert(all.end(), offspring.begin(), offspring.end());
    // Ties keep their order: the result does not depend on how the sort treats equal keys.
    std::stable_sort(all.begin(), all.end(),
                     [&pool](std::uint32_t a, std::uint32_t b) { return Better(pool[a], pool[b]); });
    Positions ordered, twins;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const bool twin = i > 0 && pool[all[i]].error == pool[all[i - 1]].error &&
                          pool[all[i]].size == pool[all[i - 1]].size;
        (twin ? twins : ordered).push_back(all[i]);
    }
    ordered.insert(ordered.end(), twins.begin(), twins.end());
    const auto kept = static_cast<std::ptrdiff_t>(std::min(count, ordered.size()));
    population.assign(ordered.begin(), ordered.begin() + kept);
    offspring.assign(ordered.begin() + kept, ordered.end());
}
