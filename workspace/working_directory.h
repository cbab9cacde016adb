#pragma once
#include <string>

// Asks for a directory, creating it when missing; returns it, or "" when the name cannot be used.
std::string SetWorkingDirectory();
