#pragma once
// A child's score is its fitness added `rounds` times to a sum that starts at 0, each addition
// rounded to float; these give it without making every addition.
#include <cstdint>
#include <vector>

// `rounds` float additions of `fitness` to a sum starting at 0, each rounded to float: the score of
// a child scored `rounds` times. Jumps over the additions that round alike.
float RepeatedSum(float fitness, std::uint64_t rounds);

// RepeatedSum of fitnesses met before: children share fitnesses often, and the number of rounds
// is the same for a whole run.
class RepeatedSums {
  public:
    float Of(float fitness, std::uint64_t rounds);

  private:
    struct Entry {
        std::uint32_t fitnessBits = 0;
        std::uint64_t rounds = 0;
        float sum = 0;
    };
    std::vector<Entry> entries_ = std::vector<Entry>(4096);  // rounds 0: empty
};

