#pragma once
// The best program of each size that the tuned search has seen, and the front they make: the
// sizes whose training error is lower than that of every smaller size.
#include <cstddef>
#include <vector>

#include "engine/tuned_individual.h"

class TunedFront {
  public:
    explicit TunedFront(std::size_t maxSize) : bySize_(maxSize + 1) {}

    // Keeps a copy when the individual is the best of its size so far.
    void Offer(const TunedIndividual& individual);

    // The front, smallest first.
    std::vector<const TunedIndividual*> Members() const;

  private:
    std::vector<TunedIndividual> bySize_;
};

// Which of the front's members to hand over, given each one's error on the rows held out (or on
// the training rows when none are): the smallest whose error is within 1 % of the lowest, plus
// 1e-10 times the variance of the targets, so that float noise does not buy size.
std::size_t ChooseModel(const std::vector<double>& errors, double targetVariance);
