#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, ActionsAndOptions) {
    constexpr auto kUsage = CommandLine::Usage;
    const struct {
        std::vector<std::string> arguments;
        CommandLine::Action action;
        std::string directory;
        std::optional<std::uint32_t> seed;
        std::optional<std::int32_t> generations;
        std::optional<std::pair<int, int>> islands = {};  // migrate every, migrants
    } cases[] = {
        {{}, CommandLine::Console, "", {}, {}},
        {{"--help"}, CommandLine::Help, "", {}, {}},
        {{"--version"}, CommandLine::Version, "", {}, {}},
        {{"learn", "w"}, CommandLine::Learn, "w", {}, {}},
        {{"learn", "--seed", "4294967295", "w", "--generations=2147483647"},
         CommandLine::Learn,
         "w",
         4294967295u,
         2147483647},
        {{"learn", "w", "--generations", "0", "--seed=0"}, CommandLine::Learn, "w", 0u, 0},
        {{"--help", "learn"}, kUsage, "", {}, {}},
        {{"-h"}, kUsage, "", {}, {}},
        {{"Learn", "w"}, kUsage, "", {}, {}},
        {{"learn"}, kUsage, "", {}, {}},
        {{"learn", "w", "v"}, kUsage, "", {}, {}},
        {{"learn", "w", "--seed"}, kUsage, "", {}, {}},
        {{"learn", "w", "--seed", "4294967296"}, kUsage, "", {}, {}},
        {{"learn", "w", "--generations", "2147483648"}, kUsage, "", {}, {}},
        {{"learn", "w", "--seed", "+1"}, kUsage, "", {}, {}},
        {{"learn", "w", "--seed", "0x10"}, kUsage, "", {}, {}},
        {{"learn", "w", "--seed="}, kUsage, "", {}, {}},
        {{"learn", "w", "--seed", "1", "--seed", "1"}, kUsage, "", {}, {}},
        {{"learn", "w", "--seeds", "1"}, kUsage, "", {}, {}},
        {{"learn", "--seed", "1"}, kUsage, "", {}, {}},
        {{"learn", "w", "--islands"}, CommandLine::Learn, "w", {}, {}, {{5, 5}}},
        {{"learn", "--migrants=0", "w", "--islands", "--migrate-every", "1"},
         CommandLine::Learn,
         "w",
         {},
         {},
         {{1, 0}}},
        {{"learn", "w", "--migrants", "3"}, kUsage, "", {}, {}},
        {{"learn", "w", "--islands", "--migrate-every", "0"}, kUsage, "", {}, {}},
        {{"learn", "w", "--islands", "--islands"}, kUsage, "", {}, {}},
        {{"learn", "w", "--islands=1"}, kUsage, "", {}, {}},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments);
        const std::string name = testing::PrintToString(c.arguments);
        EXPECT_EQ(line.action, c.action) << name;
        if (c.action != CommandLine::Learn) continue;
        EXPECT_EQ(line.directory, c.directory) << name;
        EXPECT_EQ(line.options.seed, c.seed) << name;
        EXPECT_EQ(line.options.generations, c.generations) << name;
        EXPECT_EQ(line.options.islands.has_value(), c.islands.has_value()) << name;
        if (line.options.islands && c.islands) {
            EXPECT_EQ(line.options.islands->migrateEvery, c.islands->first) << name;
            EXPECT_EQ(line.options.islands->migrants, c.islands->second) << name;
        }
    }
}

}  // namespace
