#include "compile/training_rows.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "tests/console_case.h"

namespace {

using Table = std::vector<std::vector<float>>;

Table Rows(const std::string& text) {
    const std::string f4 = "1 2 10; 3 4 20; 5 6 30; 7 8 40";
    return FloatRows(text == "F4" ? f4 : text == "F6" ? f4 + "; 9 10 50; 11 12 60" : text);
}

TEST(TrainingRows, PlainAndWindowedRowsAndRefusals) {
    const std::map<std::string, std::int32_t> types = {
        {"Filter", Filter}, {"Classifier", Classifier}, {"Trend", Trend}, {"Regression", Regression}};
    for (const auto& c : DataCases("training_rows.txt")) {
        CSettingsSerializer settings{};
        for (const std::string& type : Words(c[0])) settings.type |= types.at(type);
        settings.omega = std::stoi(c[1]);
        settings.sigma = std::stoi(c[2]);
        Table rows{{99}}, table = Rows(c[3]);
        std::int32_t inputCount = -7;
        const std::string refusal =
            Thrown<std::runtime_error>([&] { PrepareTrainingRows(table, settings, rows, inputCount); });
        const bool refused = c.size() == 5;
        EXPECT_EQ(refusal, refused ? c[4] : "") << c[0] << " " << c[1] << " " << c[2];
        EXPECT_EQ(rows, refused ? Table{{99}} : Rows(c[4]))
            << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
        EXPECT_EQ(inputCount, refused ? -7 : std::stoi(c[5])) << c[0] << " " << c[1] << " " << c[2];
    }
}

}  // namespace
