#pragma once
// Constant tuning: a few Levenberg-Marquardt iterations on a program's constants, its scale and its
// offset together, in double precision, with the derivatives of the model from one backward pass
// over the tree per block of rows. The tuned constants are rounded to float; whether they are kept
// is for the caller to decide on the exact error. One tuner per thread: it owns its scratch.
#include <cstddef>
#include <vector>

#include "engine/tuned_program.h"
#include "engine/tuned_rows.h"

// Constants of a program that tuning handles, scale and offset aside.
constexpr std::size_t kMaxTunedConstants = 30;

class ConstantTuner {
  public:
    // Tunes the constants of the tree in place; false when it found nothing better in double, or
    // the tree has no constant or more than kMaxTunedConstants of them.
    bool Tune(TunedNode* nodes, std::size_t count, const TunedRows& rows, int iterations);

    // The model's value a * f + b, f the tree in double, on each row; for the reference checks.
    void Values(const TunedNode* nodes, std::size_t count, const TunedRows& rows, double scale, double offset,
                double* out);

  private:
    struct Pass {  // sums over the rows at one point
        double cost = 0;
        double normal[kMaxTunedConstants + 2][kMaxTunedConstants + 2];  // J'J
        double gradient[kMaxTunedConstants + 2];                      // J'r
    };
    void Forward(const TunedNode* nodes, std::size_t count, const TunedRows& rows, std::size_t first,
                 std::size_t block);
    // The tree at parameters p (constants in tree order, then scale and offset).
    bool Evaluate(TunedNode* nodes, std::size_t count, const TunedRows& rows, const double* p, std::size_t size,
                  Pass& pass);

    static constexpr std::size_t kBlock = 64;
    std::vector<double> value_, adjoint_;  // per node, kBlock rows each
    std::vector<double> constant_;         // per node: the value a Constant node takes
    std::vector<std::size_t> constantNodes_;
    std::vector<double> scratch_;
    Pass passes_[2];
};
