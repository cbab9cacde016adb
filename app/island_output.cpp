#include "app/island_output.h"

#include <iostream>
#include <string>

IslandOutput::IslandOutput(int number) : island(number) {
    if (island != 0) saved = std::cout.rdbuf(&kept);
}

IslandOutput::~IslandOutput() {
    if (saved) std::cout.rdbuf(saved);
}

void IslandOutput::CouldNotStart() {
    if (!saved) return;
    std::istringstream lines(kept.str());
    for (std::string line; std::getline(lines, line);)
        std::cerr << "island " << island << ": " << line << '\n';
}

void IslandOutput::Started() {
    if (saved) std::cout.rdbuf(&discard);
}
