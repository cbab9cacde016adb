#pragma once
// The source file of a new best program, "<directory>/program<generation>.cpp".
#include <string>

// The directory is used unchanged: an empty one gives "/program<generation>.cpp".
std::string ProgramFilePath(const std::string& directory, int generation);

// Writes exactly `source` to `path`, replacing an existing file whole (workspace/file_replacement.h).
// Returns "" or, when the file cannot be written, a line that says why; nothing is thrown. Safe to
// call from several threads at once, also for the same path: the last rename wins.
std::string WriteProgramFile(const std::string& path, const std::string& source);
