#include "compile/function_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "compile/activation.h"
#include "compile/helper_source.h"

namespace {

TEST(OpcodePool, FollowsTheFunctionBits) {
    const std::string all = std::string(kExpSource) + kLogSource + kSinSource + kCosSource + kTanSource +
                            kSigmoidSource + kTanhSource;
    const struct {
        std::int32_t flags;
        std::vector<std::uint8_t> pool;
        std::string helpers;
        std::string activation;
    } cases[] = {
        {0, {0, 23}, "", ""},
        {0x001 | 0x400, {0, 23, 1, 5, 21, 22}, kTanhSource, "\ttanh_act_func_init();\n"},
        {0x7FF,
         {0, 23, 1, 5, 2, 6, 3, 7, 4, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22},
         all,
         "\tsigmoidal_act_func_init ();\n\ttanh_act_func_init();\n"},
        {0x200 | 0x020,
         {0, 23, 11, 12, 19, 20},
         std::string(kLogSource) + kSigmoidSource,
         "\tsigmoidal_act_func_init ();\n"},
        {static_cast<std::int32_t>(0xFFFFF800), {0, 23}, "", ""},  // bits above Tanh mean nothing
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> pool = {99};
        std::string helpers = "stale", activation = "stale";
        BuildOpcodePool(c.flags, pool, helpers, activation);
        EXPECT_EQ(pool, c.pool) << std::hex << c.flags;
        EXPECT_EQ(helpers, c.helpers) << std::hex << c.flags;
        EXPECT_EQ(activation, c.activation) << std::hex << c.flags;
    }
}

TEST(HelperSource, BlocksHaveTheirExactLengths) {
    EXPECT_EQ(std::string(kSigmoidSource).size(), 728u);
    EXPECT_EQ(std::string(kTanhSource).size(), 1058u);
    EXPECT_EQ(std::string(kTanSource), "float tan_func ( float x )\n{\n\treturn (float)::tan(x);\n}\n");
    EXPECT_EQ(std::string(kExpSource), "float exp_func ( float x )\n{\n\treturn (float)::exp(x);\n}\n\n");
}

class Activation : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        BuildTanhTable();
        BuildSigmoidTable();
    }
};

TEST_F(Activation, TablesHoldTheirFunctions) {
    EXPECT_EQ(f_factor, 33.333332f);
    EXPECT_EQ(f_f[0], 0.0f);
    EXPECT_EQ(f_d[98], f_f[99] - f_f[98]);
    EXPECT_EQ(f_d[99], 0.0f);
    EXPECT_EQ(g_f[50], 0.5f);
    EXPECT_EQ(g_d[0], g_f[1] - g_f[0]);
    EXPECT_EQ(g_d[99], 0.0f);
}

TEST_F(Activation, EdgeValues) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        float actual;
        float expected;
    } cases[] = {
        {"tanh(0)", tanh_act_func(0.0f), 0.0f},
        {"tanh(3)", tanh_act_func(3.0f), f_f[99]},
        {"tanh(-3)", tanh_act_func(-3.0f), -f_f[99]},
        {"tanh(1e30)", tanh_act_func(1e30f), f_f[99]},
        {"tanh(inf)", tanh_act_func(inf), f_f[99]},
        {"tanh(-inf)", tanh_act_func(-inf), -f_f[99]},
        {"tanh(NaN)", tanh_act_func(nan), -f_f[99]},
        {"sigmoid(-5.1)", sigmoidal_act_func(-5.1f), 0.0f},
        {"sigmoid(5.1)", sigmoidal_act_func(5.1f), 1.0f},
        {"sigmoid(0)", sigmoidal_act_func(0.0f), 0.5f},
        {"sigmoid(5)", sigmoidal_act_func(5.0f), 1.0f},
        {"sigmoid(-5)", sigmoidal_act_func(-5.0f), g_f[0]},
        {"sigmoid(4.95)", sigmoidal_act_func(4.95f), g_f[99]},
        {"sigmoid(-inf)", sigmoidal_act_func(-inf), 0.0f},
        {"sigmoid(inf)", sigmoidal_act_func(inf), 1.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.actual, c.expected) << c.what;
    }
    EXPECT_TRUE(std::isnan(sigmoidal_act_func(nan)));
    EXPECT_TRUE(std::isnan(log_func(-1.0f)));
    // Inside the table: interpolation between neighbours, the last one included.
    EXPECT_FLOAT_EQ(tanh_act_func(2.97f), f_f[98] + f_d[98] * (2.97f * f_factor - 98));
    EXPECT_FLOAT_EQ(tanh_act_func(-0.3f), -(f_f[9] + f_d[9] * (0.3f * f_factor - 9)));
}

TEST_F(Activation, SigmoidExtrapolatesDownwardBelowZero) {
    // xd = -2.5 truncates to -2: entry 48, fraction -0.5.
    const float expected = static_cast<float>(static_cast<long double>(g_f[48]) + g_d[48] * -0.5L / 10);
    EXPECT_EQ(sigmoidal_act_func(-0.25f), expected);
    EXPECT_LT(sigmoidal_act_func(-0.25f), g_f[48]);
}

}  // namespace
