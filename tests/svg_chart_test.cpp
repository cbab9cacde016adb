#include "formula/svg_chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>

#include "tests/console_case.h"

namespace {

TEST(SvgFitChart, DrawsATinyTableAsItWasApproved) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::string svg =
        SvgFitChart({1, 2.5f, nan, 1e30f}, {1, 2, 3, 4}, "y\xE9\x01 = x0 < 2 & \xCF\x81", "error 0.125");
    EXPECT_EQ(svg, ReadFile(TARVO_SOURCE_DIR "/tests/data/fit_chart.svg"));
    const std::vector<float> values = {1, 2.5f, nan, 4, -1};
    const std::vector<std::optional<float>> targets = {1, 2, 3, std::nullopt, 0};
    EXPECT_EQ(SvgChart(values, targets, std::nullopt, "rows & <values>"),
              ReadFile(TARVO_SOURCE_DIR "/tests/data/row_chart.svg"));
    EXPECT_EQ(SvgChart(values, {0, 1, 1, 0, 0}, ClassRule{0, 1, 0.4f, 0.6f}, "classes"),
              ReadFile(TARVO_SOURCE_DIR "/tests/data/class_chart.svg"));
}

// Every coordinate lies on the canvas, the diagonal rises at 45 degrees (equal scales), and a large
// table stays light.
TEST(SvgFitChart, KeepsEveryPointOnTheCanvasWithEqualScales) {
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> many(50000), wavy(50000);
    for (std::size_t i = 0; i < many.size(); ++i) {
        const float x = static_cast<float>(i);
        many[i] = std::sin(x * 0.001f);
        wavy[i] = many[i] + (i % 1000 == 0 ? 1e20f : 0.1f * std::sin(x * 0.037f));
    }
    const std::vector<std::pair<std::vector<float>, std::vector<float>>> tables = {
        {{2.5f}, {3}},
        {{inf, -inf}, {1, 2}},
        {{5, 5, 5}, {5, 5, 5}},
        {wavy, many},
        {{-1e-30f, 0}, {1e-30f, 1}}};
    const std::regex coordinate("\\b(c?[xy][12]?)=\"([^\"]*)\"|([^ \"]+),([^ \"]+)[ \"]");
    for (const auto& [predictions, targets] : tables) {
        const std::string svg = SvgFitChart(predictions, targets, "y", "");
        EXPECT_LE(svg.size(), 400000u) << targets.size();
        std::smatch size;
        ASSERT_TRUE(std::regex_search(svg, size, std::regex("width=\"([0-9]+)\" height=\"([0-9]+)\"")));
        const auto within = [](const std::string& text, const std::string& most) {
            const double value = std::stod(text);
            return value >= 0 && value <= std::stod(most);
        };
        for (std::sregex_iterator it(svg.begin(), svg.end(), coordinate), end; it != end; ++it) {
            const std::smatch& m = *it;
            const bool across = m[3].matched || m.str(1).find('x') != std::string::npos;
            EXPECT_TRUE(within(m[3].matched ? m[3] : m[2], across ? size[1] : size[2])) << m.str(0);
            EXPECT_TRUE(!m[3].matched || within(m[4], size[2])) << m.str(0);
        }
        std::smatch diagonal;
        ASSERT_TRUE(std::regex_search(svg, diagonal,
                                      std::regex("x1=\"([-0-9.]+)\" y1=\"([-0-9.]+)\" x2=\"([-0-9.]+)\" "
                                                 "y2=\"([-0-9.]+)\" stroke=\"#555\" stroke-dash")));
        EXPECT_NEAR(std::stod(diagonal[3]) - std::stod(diagonal[1]),
                    std::stod(diagonal[2]) - std::stod(diagonal[4]), 0.011);
        EXPECT_EQ(svg.find("nan"), std::string::npos);
    }
}

}  // namespace
