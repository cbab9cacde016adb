#include "app/program_file.h"

#include <boost/filesystem.hpp>
#include <boost/format.hpp>
#include <fstream>

namespace fs = boost::filesystem;

std::string ProgramFilePath(const std::string& directory, int generation) {
    return (boost::format("%1%/program%2%.cpp") % directory % generation).str();
}

void WriteProgramFile(const std::string& path, const std::string& source) {
    const fs::path target(path);
    boost::system::error_code ignored;
    const fs::file_status status = fs::status(target, ignored);
    if (fs::exists(status) && !fs::is_regular_file(status)) return;  // could not be opened for writing

    // Unique per call, so concurrent writers never share a temporary file.
    const fs::path temporary =
        target.parent_path() / fs::unique_path(target.filename().string() + ".%%%%-%%%%-%%%%-%%%%.tmp");
    {
        std::ofstream out(temporary.string());
        if (!out) return;
        out << source;
        out.close();
        if (!out) {
            fs::remove(temporary, ignored);
            return;
        }
    }
    try {
        fs::rename(temporary, target);
    } catch (const fs::filesystem_error&) {
        fs::remove(temporary, ignored);
        throw;
    }
}
