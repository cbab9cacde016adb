#include "app/program_file.h"

#include <boost/format.hpp>
#include <cstring>

#include "workspace/file_replacement.h"

std::string ProgramFilePath(const std::string& directory, int generation) {
    return (boost::format("%1%/program%2%.cpp") % directory % generation).str();
}

std::string WriteProgramFile(const std::string& path, const std::string& source) {
    const int error = ReplaceFile(path, source);
    return error == 0 ? "" : "Cannot write program file " + path + ": " + std::strerror(error);
}
