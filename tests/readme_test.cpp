// The README's examples work as written: the commands of its Examples section, run on a copy of
// every example folder (the folder it names replaced by each in turn), start a run that learns and
// ends by itself, on the console and without one.
#include <gtest/gtest.h>

#include <boost/algorithm/string.hpp>
#include <boost/filesystem.hpp>
#include <sstream>

#include "tests/console_case.h"

namespace fs = boost::filesystem;

namespace {

struct Invocation {
    std::vector<std::string> arguments;
    std::string input;  // console input; "q" waits until the run has ended, as the README says
};

TEST(Readme, ExamplesLearnOnACopyOfEveryExampleFolder) {
    std::string folder, copy;  // from "cp -r examples/FOLDER COPY"
    std::vector<Invocation> invocations;
    std::istringstream lines(ReadmeSection("Examples"));
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        if (words.size() == 4 && words[0] == "cp" && words[1] == "-r") {
            folder = fs::path(words[2]).filename().string();
            copy = words[3];
        } else if (words[0] == "scripts/run") {
            invocations.push_back({{words.begin() + 1, words.end()}, ""});
        } else if (!invocations.empty()) {
            invocations.back().input += (line == "q" ? "~wait Engine Stopped\n" : "") + line + "\n";
        }
    }
    ASSERT_FALSE(folder.empty()) << "no cp -r examples/... in the Examples section";
    ASSERT_EQ(invocations.size(), 2u) << "one console run and one without a console";
    for (const auto& entry : fs::directory_iterator(fs::path(TARVO_SOURCE_DIR) / "examples")) {
        const std::string example = entry.path().filename().string(), directory = MakeTemporaryDirectory();
        CopyFolder(entry.path().string(), directory + "/" + example);
        const auto substituted = [&](std::string text) {
            boost::replace_all(text, copy, directory + "/" + example);
            return boost::replace_all_copy(text, folder, example);
        };
        for (const Invocation& invocation : invocations) {
            std::vector<std::string> arguments;
            for (const std::string& argument : invocation.arguments)
                arguments.push_back(substituted(argument));
            SCOPED_TRACE(example + ": scripts/run " + boost::join(arguments, " "));
            const ConsoleRun run = RunProgram(directory, substituted(invocation.input), arguments);
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.timedOut, "");
            EXPECT_NE(run.output.find("\nEngine Started\nNew Best Fit for generation 0"), std::string::npos)
                << run.output;
            EXPECT_TRUE(boost::ends_with(run.output, "\nEngine Stopped\n")) << run.output;
            EXPECT_TRUE(fs::exists(directory + "/" + example + "/program0.cpp"));
        }
        fs::remove_all(directory);
    }
}

}  // namespace
