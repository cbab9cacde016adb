#include "compile/training_rows.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace {

using Table = std::vector<std::vector<float>>;

const Table kFour{{1, 2, 10}, {3, 4, 20}, {5, 6, 30}, {7, 8, 40}};
const Table kSix{{1, 2, 10}, {3, 4, 20}, {5, 6, 30}, {7, 8, 40}, {9, 10, 50}, {11, 12, 60}};
constexpr std::int32_t kEarlier = -7;  // inputCount before the call
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

CSettingsSerializer Settings(std::int32_t type, std::int32_t omega, std::int32_t sigma) {
    CSettingsSerializer s{};
    s.type = type;
    s.omega = omega;
    s.sigma = sigma;
    return s;
}

struct RowsCase {
    const char* name;
    std::int32_t type, omega, sigma;
    Table table;
    Table rows;
    std::int32_t inputCount;
};

const Table kFilterW1{{1, 2, 3, 4, 5, 6, 20}, {3, 4, 5, 6, 7, 8, 30}};  // windows of kFour, omega 1

TEST(TrainingRows, PlainAndWindowedRows) {
    // clang-format off
    const RowsCase cases[] = {
        {"filter w0", Filter, 0, 0, kFour, kFour, 2},
        {"filter w1", Filter, 1, 0, kFour, kFilterW1, 6},
        {"filter ignores sigma", Filter, 1, -5, kFour, kFilterW1, 6},
        {"filter bit first", Filter | Classifier | Trend, 1, 9, kFour, kFilterW1, 6},
        {"filter N = 2w", Filter, 2, 0, kFour, {}, 10},
        {"trend four rows", Trend, 1, 1, kFour, {}, 6},
        {"trend six rows", Trend, 1, 1, kSix, {{1, 2, 3, 4, 5, 6, 30}, {3, 4, 5, 6, 7, 8, 40}}, 6},
        {"trend w0", Trend | Regression, 0, 1, kFour, {{1, 2, 20}, {3, 4, 30}}, 2},
        {"regression", Regression, -3, -3, kFour, kFour, 2},
        {"classifier long rows", Classifier, 0, 0, {{1, 2, 3}, {4, 5, 6, 7}}, {{1, 2, 3}, {4, 5, 6, 7}}, 2},
        {"other code", 0, 0, 0, {{1}, {2}}, {{1}, {2}}, 0},
        // Mended tables: header lines, short and empty rows.
        {"regression header", Regression, 0, 0, {{}, {1, 2, 10}, {3, 4, 20}}, {{1, 2, 10}, {3, 4, 20}}, 2},
        {"regression short rows", Regression, 0, 0, {{1, 2, 10}, {3, 4}, {}, {5, 6, 30}},
         {{1, 2, 10}, {5, 6, 30}}, 2},
        {"filter header", Filter, 1, 0, {{}, {1, 2, 10}, {3, 4, 20}, {5, 6, 30}, {7, 8, 40}}, kFilterW1, 6},
        {"filter short row", Filter, 1, 0,
         {{1, 2, 10}, {3, 4, 20}, {5, 6, 30}, {7, 8, 40}, {9, 10}, {0, 0, 0}}, kFilterW1, 6},
        {"trend short target", Trend, 0, 1, {{1, 2, 10}, {3, 4}, {5, 6, 30}, {7, 8, 40}, {9, 10, 50}},
         {{5, 6, 40}}, 2},
        {"filter empty row", Filter, 0, 0, {{1, 10}, {}, {2, 20}}, {{1, 10}, {2, 20}}, 1},
        {"regression empty", Regression, 0, 0, {}, {}, kEarlier},
        {"filter empty", Filter, 1, 0, {}, {}, kEarlier},
        {"trend only empty rows", Trend, 1, 1, {{}, {}}, {}, kEarlier},
        {"widest window", Filter, kMax / 2, 0, {{1, 10}}, {}, kMax},
        {"trend far offset", Trend, 0, kMax, kFour, {}, 2},
    };
    // clang-format on
    for (const RowsCase& c : cases) {
        Table rows{{99}};
        std::int32_t inputCount = kEarlier;
        PrepareTrainingRows(c.table, Settings(c.type, c.omega, c.sigma), rows, inputCount);
        EXPECT_EQ(rows, c.rows) << c.name;
        EXPECT_EQ(inputCount, c.inputCount) << c.name;
    }
}

TEST(TrainingRows, RefusesWindowsOutsideTheTable) {
    const struct {
        std::int32_t type, omega, sigma;
        Table table;
        const char* message;
    } cases[] = {
        {Filter, -1, 0, kFour, "Omega (Width) must not be negative"},
        {Filter, -1, 0, {}, "Omega (Width) must not be negative"},
        {Trend, -2, 0, kSix, "Omega (Width) must not be negative"},
        {Trend, 0, -1, kSix, "Sigma (Offset) must not be negative"},
        {Filter, kMax / 2 + 1, 0, kFour, "Omega (Width) is too large"},
        {Trend, kMax, kMax, {}, "Omega (Width) is too large"},
        {Filter, kMax / 2, 0, {{1, 2, 10}}, "Omega (Width) is too large"},  // W * K over 32 bits
    };
    for (const auto& c : cases) {
        Table rows{{99}};
        std::int32_t inputCount = kEarlier;
        try {
            PrepareTrainingRows(c.table, Settings(c.type, c.omega, c.sigma), rows, inputCount);
            ADD_FAILURE() << "accepted omega " << c.omega << " sigma " << c.sigma;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(rows, Table{{99}});  // left as it was
        EXPECT_EQ(inputCount, kEarlier);
    }
}

}  // namespace
