#pragma once
#include <string>

// Command 3: asks for every parameter, saves settings.dat and prints it back. A failed or
// abandoned dialog saves nothing.
void CreateSettings(const std::string& directory);

// Command 8: prints the settings file of `directory`, one parameter per line.
void PrintSettings(const std::string& directory);

// First step of command 2: reports whether a settings file exists, proves it loads and prints it.
void UseExistingSettings(const std::string& directory);
