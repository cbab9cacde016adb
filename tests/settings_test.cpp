#include "workspace/settings.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(Settings, WritesTheArchiveLine) {
    CSettingsSerializer r{4, 2047, Mersenne, 100, 50, 2, 100, 70, 10, 5, 50, 20, 0, 0, 1000, 2};
    std::ostringstream out;
    WriteSettings(out, r);
    EXPECT_EQ(out.str(), "22 serialization::archive 10 0 0 4 2047 4 100 50 2 100 70 10 5 50 20 0 0 1000 2\n");
}
