#include "compile/function_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "compile/activation.h"
#include "compile/helpers.h"

namespace {

TEST(FunctionSet, PoolAndHelperTextsFollowTheFunctionBits) {
    std::string all;
    for (const Helper& helper : kHelpers) all += helper.source;
    const struct {
        std::int32_t flags;
        std::vector<std::uint8_t> pool;
        std::string helpers;
        std::string activation;
    } cases[] = {
        {0, {0, 23}, "", ""},
        {0x001 | 0x400, {0, 23, 1, 5, 21, 22}, kHelpers[kTanh].source, "\ttanh_act_func_init();\n"},
        {0x7FF,
         {0, 23, 1, 5, 2, 6, 3, 7, 4, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22},
         all,
         "\tsigmoidal_act_func_init ();\n\ttanh_act_func_init();\n"},
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

// Where the tables end and beyond: no index outside them, NaN included.
TEST(Activation, EdgeValues) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        float actual;
        float expected;
    } cases[] = {
        {"tanh(0)", tanh_act_func(0.0f), 0.0f},           {"tanh(3)", tanh_act_func(3.0f), Activation().f_f[99]},
        {"tanh(-3)", tanh_act_func(-3.0f), -Activation().f_f[99]},     {"tanh(1e30)", tanh_act_func(1e30f), Activation().f_f[99]},
        {"tanh(NaN)", tanh_act_func(nan), -Activation().f_f[99]},      {"sigmoid(-5.1)", sigmoidal_act_func(-5.1f), 0.0f},
        {"sigmoid(5.1)", sigmoidal_act_func(5.1f), 1.0f}, {"sigmoid(0)", sigmoidal_act_func(0.0f), 0.5f},
        {"sigmoid(5)", sigmoidal_act_func(5.0f), 1.0f},   {"sigmoid(NaN)", sigmoidal_act_func(nan), nan},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.actual == c.expected || (std::isnan(c.actual) && std::isnan(c.expected)))
            << c.what << " = " << c.actual << ", not " << c.expected;
    }
}

}  // namespace
