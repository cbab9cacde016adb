#pragma once
// The error a learned program is reported with, and that tarvo-formula --apply prints: the mean over
// the rows, taken in order, of (y - t)^2 with the float output y and target t widened to double.
#include <cstddef>

class MeanSquaredError {
  public:
    void Add(float y, float target) {
        const double error = static_cast<double>(y) - static_cast<double>(target);
        sum_ += error * error;
        ++count_;
    }
    std::size_t Count() const { return count_; }
    double Mean() const { return sum_ / static_cast<double>(count_); }  // NaN for no rows

  private:
    double sum_ = 0;
    std::size_t count_ = 0;
};
