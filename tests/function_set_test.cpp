#include "compile/function_set.h"

#include <gtest/gtest.h>

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

}  // namespace
