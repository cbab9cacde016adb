#include "python/array_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>

#include "tests/console_case.h"

namespace {

std::string Refusal(const std::function<void()>& call) { return Thrown<std::invalid_argument>(call); }

// X's values and shape, y's values and shape, and the start of the refusal ("" for none).
struct Fit {
    std::vector<double> x;
    std::vector<std::size_t> xShape;
    std::vector<double> y;
    std::vector<std::size_t> yShape;
    std::string refusal;
};

TEST(ArrayInput, ValuesThatAreNoFloatAndWrongShapesAreRefusedSayingWhere) {
    const Fit fits[] = {
        {{1, 2, 3, NAN, 5, 6}, {3, 2}, {7, 8, 9}, {3}, "X at row 1, column 1 holds NaN"},
        {{1, 2, 3}, {3, 1}, {7, -INFINITY, 9}, {3}, "y at row 1 holds infinity"},
        {{1, 2, 1e39}, {3, 1}, {7, 8, 9}, {3}, "X at row 2, column 0 holds a value beyond float range"},
        {{1, 2, 3}, {3}, {7, 8, 9}, {3}, "X must have 2 dimensions (n_samples, n_features), not the shape (3,)"},
        {{1, 2, 3}, {3, 1}, {7, 8, 9}, {3, 1}, "y must have the shape (3,) of X's samples, not (3, 1)"},
        {{1}, {1, 1}, {7}, {1}, "Found 1 sample(s); at least 2 are needed to learn"},
        {{}, {2, 0}, {7, 8}, {2}, "X has 0 features; at least 1 is needed"},
    };
    for (const Fit& fit : fits)
        EXPECT_EQ(Refusal([&] { LearningTable({fit.x.data(), fit.xShape}, {fit.y.data(), fit.yShape}); }),
                  fit.refusal);
}

// A fit's rows are features then target; a prediction's rows features then the model's constants.
// Values below float range become 0, as any conversion to float makes them.
TEST(ArrayInput, RowsAreLaidOutAsProgramsReadThem) {
    const std::vector<double> x = {1, 2, 3, 1e-300, 5, 6}, y = {7, 8, 9};
    EXPECT_EQ(LearningTable({x.data(), {3, 2}}, {y.data(), {3}}), DataTable({{1, 2, 7}, {3, 0, 8}, {5, 6, 9}}));
    EXPECT_EQ(PredictionRows({x.data(), {3, 2}}, 2, {0.5f}), std::vector<float>({1, 2, 0.5f, 3, 0, 0.5f, 5, 6, 0.5f}));
    EXPECT_EQ(Refusal([&] { PredictionRows({x.data(), {2, 3}}, 2, {}); }), "X has 3 features, but the model takes 2");
    EXPECT_EQ(Refusal([&] { PredictionRows({x.data(), {6}}, 2, {}); }).substr(0, 20), "X must have 2 dimens");
}

}  // namespace
