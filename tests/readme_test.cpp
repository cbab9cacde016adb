// The README's commands work as written: its first, which learns from a CSV file; those of its Examples
// section on a copy of every example folder (the folder it names replaced by each in turn), on the console
// and without one, and its island run under mpirun on a copy of the example it names. Each starts a run that
// learns and ends by itself.
#include <gtest/gtest.h>

#include <boost/algorithm/string.hpp>
#include <boost/filesystem.hpp>
#include <sstream>

#include "tests/console_case.h"

namespace fs = boost::filesystem;

namespace {

struct Invocation {
    std::vector<std::string> launcher, arguments;  // what comes before the program, and after it
    std::string input;  // console input; "q" waits until the run has ended, as the README says
};

// "cp -r examples/FOLDER COPY", then the commands that run the program ("scripts/run ..." or
// "... build/x86_64/tarvo ..."), each followed by its console input.
struct Example {
    std::string folder, copy;
    std::vector<Invocation> invocations;
};

Example ReadExample(const std::string& title) {
    Example example;
    bool inSection = false;
    std::istringstream readme(ReadFile(TARVO_SOURCE_DIR "/README.md"));
    for (std::string line; std::getline(readme, line);) {
        if (boost::starts_with(line, "## ")) inSection = line == "## " + title;
        if (!inSection || !boost::starts_with(line, "    ")) continue;
        const std::vector<std::string> words = Words(line);
        const auto program = std::find_if(words.begin(), words.end(), [](const std::string& word) {
            return word == "scripts/run" || word == "build/x86_64/tarvo";
        });
        if (words.size() == 4 && words[0] == "cp" && words[1] == "-r") {
            example.folder = fs::path(words[2]).filename().string();
            example.copy = words[3];
        } else if (program != words.end()) {
            example.invocations.push_back({{words.begin(), program}, {program + 1, words.end()}, ""});
        } else if (!example.invocations.empty()) {
            example.invocations.back().input +=
                (line == "    q" ? "~wait Engine Stopped\n" : "") + line.substr(4) + "\n";
        }
    }
    return example;
}

// Runs the example's commands on a copy of examples/FOLDER, `mpirun` as the build found it; each
// must have written program0.cpp and the `files`.
void RunOn(const Example& example, const std::string& folder, const std::vector<std::string>& mpirun = {},
           const std::vector<std::string>& files = {}) {
    const std::string directory = MakeTemporaryDirectory(), copy = directory + "/" + folder;
    CopyFolder(TARVO_SOURCE_DIR "/examples/" + folder, copy);
    const auto substituted = [&](std::string text) {
        boost::replace_all(text, example.copy, copy);
        return boost::replace_all_copy(text, example.folder, folder);
    };
    for (const Invocation& invocation : example.invocations) {
        std::vector<std::string> arguments, launcher = mpirun;
        for (const std::string& argument : invocation.arguments) arguments.push_back(substituted(argument));
        if (!mpirun.empty())
            launcher.insert(launcher.end(), invocation.launcher.begin() + 1, invocation.launcher.end());
        SCOPED_TRACE(folder + ": " + boost::join(arguments, " "));
        const ConsoleRun run = RunProgram(directory, substituted(invocation.input), arguments, launcher);
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.timedOut, "");
        EXPECT_NE(run.output.find("\nEngine Started\nNew Best Fit for generation 0"), std::string::npos)
            << run.output;
        EXPECT_TRUE(boost::ends_with(run.output, "\nEngine Stopped\n")) << run.output;
        for (const std::string& file : files) EXPECT_TRUE(fs::exists(copy + "/" + file)) << file;
        EXPECT_TRUE(fs::exists(copy + "/program0.cpp"));
    }
    fs::remove_all(directory);
}

// The first example: learning from a CSV file of examples/, in a directory holding a copy of it.
TEST(Readme, TheFirstExampleLearnsAFormulaFromACsvFile) {
    const Example example = ReadExample("From a CSV file to a formula");
    ASSERT_FALSE(example.invocations.empty());
    std::vector<std::string> arguments = example.invocations.front().arguments;
    ASSERT_EQ(arguments.size(), 2u);
    // Under an emulator two generations, rather than the seconds chosen, keep the test short.
    if (std::string(TARVO_EMULATOR) != "") arguments.insert(arguments.end(), {"--generations", "2"});
    const std::string directory = MakeTemporaryDirectory();
    CopyFolder(TARVO_SOURCE_DIR "/examples/csv", directory + "/examples/csv");
    const ConsoleRun run = RunProgram(directory, "", arguments);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.output.find("learning drag from speed, area, density.\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\ndrag "), std::string::npos) << run.output;
    const std::string out = directory + "/" + fs::path(arguments[1]).stem().string() + ".tarvo/";
    for (const char* file :
         {"model.cpp", "formula.txt", "model.c", "pareto.csv", "chart.svg", "settings.dat"})
        EXPECT_TRUE(fs::exists(out + file)) << file;
    fs::remove_all(directory);
}

TEST(Readme, ExamplesLearnOnACopyOfEveryExampleFolder) {
    const Example example = ReadExample("Examples");
    ASSERT_FALSE(example.folder.empty()) << "no cp -r examples/... in the Examples section";
    ASSERT_EQ(example.invocations.size(), 2u) << "one console run and one without a console";
    for (const auto& entry : fs::directory_iterator(fs::path(TARVO_SOURCE_DIR) / "examples"))
        if (fs::exists(entry.path() / "settings.dat")) RunOn(example, entry.path().filename().string());
}

TEST(Readme, TheTunedSearchWritesItsFront) {
    const Example example = ReadExample("A search that tunes constants");
    ASSERT_EQ(example.invocations.size(), 1u);
    RunOn(example, example.folder, {}, {"model.cpp", "pareto.csv"});
}

#ifdef TARVO_MPIEXEC
TEST(Readme, TheIslandRunWorks) {
    Example example = ReadExample("Island runs over MPI");
    auto& invocations = example.invocations;  // but "scripts/run --version"
    invocations.erase(
        std::remove_if(invocations.begin(), invocations.end(),
                       [](const Invocation& invocation) { return invocation.launcher.empty(); }),
        invocations.end());
    ASSERT_EQ(invocations.size(), 1u);
    ASSERT_EQ(invocations[0].launcher[0], "mpirun");
    RunOn(example, example.folder,
          {"env", "OMPI_ALLOW_RUN_AS_ROOT=1", "OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1", TARVO_MPIEXEC});
}
#endif

}  // namespace
