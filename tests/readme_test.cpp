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

// The indented lines of the README's Examples section.
std::vector<std::string> ExampleLines() {
    std::istringstream readme(ReadFile(TARVO_SOURCE_DIR "/README.md"));
    std::vector<std::string> lines;
    bool inSection = false;
    for (std::string line; std::getline(readme, line);) {
        if (boost::starts_with(line, "## ")) inSection = line == "## Examples";
        if (inSection && boost::starts_with(line, "    ")) lines.push_back(line.substr(4));
    }
    return lines;
}

struct Invocation {
    std::vector<std::string> arguments;
    std::string input;  // console input; "q" waits until the run has ended, as the README says
};

struct Example {
    std::string folder, copy;  // from "cp -r examples/FOLDER COPY"
    std::vector<Invocation> invocations;
};

Example ParseExample(const std::vector<std::string>& lines) {
    Example example;
    for (const std::string& line : lines) {
        std::vector<std::string> words;
        boost::split(words, line, boost::is_any_of(" "), boost::token_compress_on);
        if (words.size() == 4 && words[0] == "cp" && words[1] == "-r") {
            example.folder = fs::path(words[2]).filename().string();
            example.copy = words[3];
        } else if (words[0] == "scripts/run") {
            example.invocations.push_back({{words.begin() + 1, words.end()}, ""});
        } else if (!example.invocations.empty()) {
            example.invocations.back().input += (line == "q" ? "~wait Engine Stopped\n" : "") + line + "\n";
        }
    }
    return example;
}

std::string Substituted(std::string text, const Example& example, const std::string& folder,
                        const std::string& copy) {
    boost::replace_all(text, example.copy, copy);
    boost::replace_all(text, example.folder, folder);
    return text;
}

TEST(Readme, ExamplesLearnOnACopyOfEveryExampleFolder) {
    const Example example = ParseExample(ExampleLines());
    ASSERT_FALSE(example.folder.empty()) << "no cp -r examples/... in the Examples section";
    ASSERT_EQ(example.invocations.size(), 2u) << "one console run and one without a console";
    for (const auto& entry : fs::directory_iterator(fs::path(TARVO_SOURCE_DIR) / "examples")) {
        const std::string folder = entry.path().filename().string();
        const std::string directory = MakeTemporaryDirectory(), copy = directory + "/" + folder;
        fs::create_directory(copy);
        for (const auto& file : fs::directory_iterator(entry.path()))
            fs::copy_file(file.path(), copy + "/" + file.path().filename().string());
        for (const Invocation& invocation : example.invocations) {
            std::vector<std::string> arguments;
            for (const std::string& argument : invocation.arguments)
                arguments.push_back(Substituted(argument, example, folder, copy));
            SCOPED_TRACE(folder + ": scripts/run " + boost::join(arguments, " "));
            const ConsoleRun run =
                RunProgram(directory, Substituted(invocation.input, example, folder, copy), arguments);
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.timedOut, "");
            EXPECT_NE(run.output.find("\nEngine Started\nNew Best Fit for generation 0"), std::string::npos)
                << run.output;
            EXPECT_TRUE(boost::ends_with(run.output, "\nEngine Stopped\n")) << run.output;
            EXPECT_TRUE(fs::exists(copy + "/program0.cpp"));
        }
        fs::remove_all(directory);
    }
}

}  // namespace
