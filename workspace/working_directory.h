#pragma once
#include <string>

// Process-wide working directory, stored exactly as typed; empty means not set. Only command 1 writes it.
extern std::string workingDirectory;

// Asks for a directory, creating it when missing; returns it, or "" when the name cannot be used.
std::string SetWorkingDirectory();
std::string GetWorkingDirectory();
