#include "app/console_reporter.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/format.hpp>
#include <iostream>
#include <utility>

#include "app/program_file.h"

namespace pt = boost::posix_time;

pt::ptime CTarvoUI::Now() { return pt::second_clock::local_time(); }

void CTarvoUI::BreedingStarted() {
    std::cout << "Breeding Started" << std::endl;
    breedingStart = Now();
}

void CTarvoUI::BreedingStopped() {
    std::cout << std::endl << "Breeding Stopped" << std::endl;
    breedingStop = Now();
    // Every remaining generation is taken to last as long as this one; a missing start gives
    // not-a-date-time through Boost's arithmetic of special values.
    const int remaining = totalGenerations - currentGeneration - 1;
    const pt::ptime estimate = breedingStop + (breedingStop - breedingStart) * remaining;
    std::cout << "Estimated Finish:" << pt::to_simple_string(estimate) << std::endl;
}

void CTarvoUI::Tick() { std::cout << "*"; }

void CTarvoUI::EngineStarted(int totalGenerations) {
    currentGeneration = 0;
    this->totalGenerations = totalGenerations;
    std::cout << "Engine Started" << std::endl;
}

void CTarvoUI::EngineStopped() { std::cout << "Engine Stopped" << std::endl; }

void CTarvoUI::NewBestFit(std::string source, int generation, float fitness) {
    std::cout << boost::format("New Best Fit for generation %1% with fitness:%2%") % generation % fitness
              << std::endl;
    WriteProgramFile(ProgramFilePath(outputDirectory, generation), source);
    currentGeneration = generation;
}

void CTarvoUI::GenerationCompleted(int generation) {
    currentGeneration = generation;
    std::cout << "Generation Completed: " << generation << std::endl;
}

void CTarvoUI::SetOutputDirectory(std::string directory) { outputDirectory = std::move(directory); }

void CTarvoUI::RunFailed(std::string message) { std::cout << "Engine Error: " << message << std::endl; }
