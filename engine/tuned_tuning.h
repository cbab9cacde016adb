#pragma once
// Constant tuning: a few Levenberg-Marquardt iterations on a program's constants, its scale and its
// offset together, in double precision, with the derivatives of the model from one backward pass
// over the tree. Functions are computed as the program computes them, through their float helpers,
// and nodes whose subtree holds no constant are computed once per call. The tuned constants are
// rounded to float; whether they are kept is for the caller to decide on the exact error. One
// tuner per thread: it owns its scratch.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/tuned_program.h"
#include "engine/tuned_rows.h"

// Constants of a program that tuning handles, scale and offset aside.
constexpr std::size_t kMaxTunedConstants = 30;

class ConstantTuner {
  public:
    // Tunes the constants of the tree in place. The sum of squared errors in double before and
    // after (each with its best scale and offset); equal when tuning found nothing better, the tree
    // has no constant or more than kMaxTunedConstants of them (then both are NaN).
    struct Result {
        double before, after;
        bool Improved() const { return after < before; }
    };
    Result Tune(TunedNode* nodes, std::size_t count, const TunedRows& rows, int iterations);

    // The tree's value f in double on each row, as tuning computes it.
    void Values(const TunedNode* nodes, std::size_t count, const TunedRows& rows, double* out);

  private:
    static constexpr std::size_t kMaxParameters = kMaxTunedConstants + 2;
    struct Pass {  // sums over the rows at one point
        double cost = 0;
        double normal[kMaxParameters][kMaxParameters];  // J'J, upper triangle
        double gradient[kMaxParameters];                // J'r
    };
    void Prepare(const TunedNode* nodes, std::size_t count, const TunedRows& rows);
    // Values of the nodes marked in `which` (all when null), the constants taken from `constant_`.
    void Forward(const TunedNode* nodes, std::size_t count, const TunedRows& rows, const std::uint8_t* which);
    // The model at parameters p (constants in tree order, then scale and offset).
    bool Evaluate(const TunedNode* nodes, std::size_t count, const TunedRows& rows, const double* p, Pass& pass);

    std::size_t rows_ = 0;
    std::vector<double> value_, slope_, adjoint_;  // per node, rows_ values each
    std::vector<double> constant_;                 // per node: the value a Constant node takes
    std::vector<std::uint8_t> dynamic_;            // per node: 1 when its subtree holds a constant
    std::vector<std::size_t> constantNodes_;
    std::vector<double> residual_;
    std::vector<float> argument_;
    Pass passes_[2];
};
