#include "workspace/settings.h"

#include <gtest/gtest.h>

#include <boost/archive/archive_exception.hpp>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include "tests/console_case.h"

namespace {

const CSettingsSerializer kExample{4, 2047, Mersenne, 100, 50, 2, 100, 70, 10, 5, 50, 20, 0, 0, 1000, 2};

std::string Written(const CSettingsSerializer& record) {
    std::ostringstream out;
    WriteSettings(out, record);
    return out.str();
}

bool SameBits(const CSettingsSerializer& a, const CSettingsSerializer& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(SettingsFile, RoundTripsEveryValueBitForBit) {
    const CSettingsSerializer records[] = {
        kExample,
        {-3, 0, static_cast<RandomAlgorithm>(0), -1, 0, -2, -7, 0.3f, 1e-30f, 2147483647, -0.0f,
         std::numeric_limits<std::int32_t>::min(), -1, -2, 3.4028235e38f, 3},
        {8, 1, ROTW, 1, 1, 0, 1, std::numeric_limits<float>::infinity(),
         -std::numeric_limits<float>::infinity(), 2, std::numeric_limits<float>::denorm_min(), 1, 5, 2,
         1.17549435e-38f, 4},
        // Eight digits would give 1000000128 back; the value takes a ninth.
        {4, 7, ROTB, 1, 1, 1, 1, 1000000064.0f, 1, 2, 1, 1, 0, 0, 1, 1},
    };
    for (const CSettingsSerializer& record : records) {
        std::istringstream in(Written(record));
        EXPECT_TRUE(SameBits(ReadSettings(in), record)) << Written(record);
    }
    CSettingsSerializer record = kExample;
    record.worstFitness = std::numeric_limits<float>::quiet_NaN();
    std::istringstream in(Written(record));
    EXPECT_TRUE(std::isnan(ReadSettings(in).worstFitness));
}

TEST(SettingsFile, RefusesWithTheArchiveMessages) {
    for (const auto& c : DataCases("settings_refusals.txt")) {
        std::istringstream in(c[1]);
        EXPECT_EQ(Thrown<boost::archive::archive_exception>([&] { ReadSettings(in); }), c[0]) << c[1];
    }
}

TEST(SettingsFile, LoadsOlderVersionsAndIgnoresWhatFollows) {
    std::istringstream in(
        "22 serialization::archive 3 0 5\n4 2047\t4 100 50 2 100 70 10 5 50 20 0 0 1000 2 and more\n");
    EXPECT_TRUE(SameBits(ReadSettings(in), kExample));
    // Stored files name the random algorithm by number.
    for (const auto& [number, algorithm] : {std::pair{"1", ROTB}, {"2", ROTW}, {"4", Mersenne}}) {
        std::istringstream file("22 serialization::archive 3 0 5\n4 2047 " + std::string(number) +
                                " 100 50 2 100 70 10 5 50 20 0 0 1000 2\n");
        EXPECT_EQ(ReadSettings(file).randomAlgorithm, algorithm) << number;
    }
}

}  // namespace
