#include "app/console_reporter.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/format.hpp>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "app/program_file.h"

namespace pt = boost::posix_time;

namespace {

// One write per line, so lines from the coordinator and the workers interleave only whole.
void Line(const std::string& text) { std::cout << text + '\n' << std::flush; }

}  // namespace

pt::ptime CTarvoUI::Now() { return pt::microsec_clock::local_time(); }

void CTarvoUI::BreedingStarted() {
    Line("Breeding Started");
    breedingStart = Now();
}

void CTarvoUI::BreedingStopped() {
    Line("\nBreeding Stopped");
    breedingStop = Now();
    // Every remaining generation is taken to last as long as this one; a missing start gives
    // not-a-date-time through Boost's arithmetic of special values, and a finish past the
    // calendar's end is infinity rather than an error that would end the run. The phase is timed
    // to the microsecond, as most take far less than a second; the finish prints in whole seconds.
    const int remaining = totalGenerations - currentGeneration - 1;
    const pt::ptime estimate = breedingStop + (breedingStop - breedingStart) * remaining;
    std::string text;
    try {
        const pt::ptime shown =
            estimate.is_special()
                ? estimate
                : pt::ptime(estimate.date(), pt::seconds(estimate.time_of_day().total_seconds()));
        text = pt::to_simple_string(shown);
    } catch (const std::out_of_range&) {
        text = pt::to_simple_string(pt::ptime(estimate > breedingStop ? pt::pos_infin : pt::neg_infin));
    }
    Line("Estimated Finish:" + text);
}

void CTarvoUI::Tick() { std::cout << "*"; }

void CTarvoUI::EngineStarted(int generations) {
    currentGeneration = 0;
    totalGenerations = generations;
    runFailed = false;
    unwrittenProgramFiles = 0;
    Line("Engine Started");
}

void CTarvoUI::EngineStopped() { Line("Engine Stopped"); }

void CTarvoUI::NewBestFit(std::string source, int generation, float fitness) {
    Line(
        boost::str(boost::format("New Best Fit for generation %1% with fitness:%2%") % generation % fitness));
    const std::string problem = WriteProgramFile(ProgramFilePath(outputDirectory, generation), source);
    if (!problem.empty() && unwrittenProgramFiles++ == 0) Line(problem);  // once a run; the run goes on
    currentGeneration = generation;
}

void CTarvoUI::GenerationCompleted(int generation) {
    currentGeneration = generation;
    Line("Generation Completed: " + std::to_string(generation));
}

void CTarvoUI::SetOutputDirectory(std::string directory) { outputDirectory = std::move(directory); }

void CTarvoUI::RunFailed(std::string message) {
    runFailed = true;
    Line("Engine Error: " + message);
}
