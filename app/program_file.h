#pragma once
// The source file of a new best program, "<directory>/program<generation>.cpp".
#include <string>

// The directory is used unchanged: an empty one gives "/program<generation>.cpp".
std::string ProgramFilePath(const std::string& directory, int generation);

// Writes exactly `source` to `path`. An existing file is replaced atomically (a temporary file in the
// same directory, then a rename), so a reader or a failed write never sees half a file. A path that
// cannot be written (missing directory, a directory of that name) is skipped silently; a failure to
// replace an existing file throws boost::filesystem::filesystem_error. Safe to call from several
// threads at once, also for the same path: the last rename wins.
void WriteProgramFile(const std::string& path, const std::string& source);
