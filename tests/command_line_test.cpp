#include "app/command_line.h"

#include <gtest/gtest.h>

#include "tests/console_case.h"

namespace {

template <class T>
std::string Text(const std::optional<T>& value) {
    return value ? std::to_string(*value) : "";
}

TEST(CommandLine, ActionsAndOptions) {
    const char* const actions[] = {"Console", "Learn", "Help", "Version", "Usage", "Table"};
    for (const auto& c : DataCases("command_lines.txt")) {
        const CommandLine line = ParseCommandLine(Words(c[0]));
        ASSERT_EQ(actions[line.action], c[1]) << c[0];
        if (line.action != CommandLine::LearnRun) continue;
        const auto& islands = line.options.islands;
        const std::optional<double>& seconds = line.options.seconds;
        const std::vector<std::string> options = {
            line.directory, Text(line.options.seed), Text(line.options.generations),
            islands ? std::to_string(islands->migrateEvery) + " " + std::to_string(islands->migrants) : "",
            line.options.search == SearchKind::Tuned ? "tuned" : "gep", seconds ? std::to_string(*seconds) : ""};
        EXPECT_EQ(options, std::vector<std::string>(c.begin() + 2, c.end())) << c[0];
    }
}

}  // namespace
