#include "workspace/working_directory.h"

#include <boost/filesystem.hpp>

#include "workspace/console.h"

namespace fs = boost::filesystem;

std::string SetWorkingDirectory() {
    PrintLine("Set Working Directory e.g. c://Dummy");
    std::string word;
    if (!ReadWord(word)) {
        PrintLine("Cannot set working directory ");
        return "";
    }
    const fs::path path(word);
    const fs::file_status status = fs::status(path);
    if (fs::is_regular_file(status)) {
        PrintLine("Cannot set working directory - File exists at " + word);
        return "";
    }
    if (fs::is_directory(status)) {
        PrintLine("Setting Directory to " + word);
        return word;
    }
    PrintLine("Path doesn't exist. It will be created.");
    fs::create_directories(path);
    PrintLine("Working Directory set to " + word);
    return word;
}

