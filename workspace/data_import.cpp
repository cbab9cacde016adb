#include "workspace/data_import.h"

#include <boost/filesystem.hpp>
#include <fstream>
#include <iostream>

#include "workspace/console.h"
#include "workspace/file_replacement.h"

namespace fs = boost::filesystem;


namespace {

bool IsRegularFile(const fs::path& path) {
    boost::system::error_code error;
    return fs::is_regular_file(fs::status(path, error));
}

// The target already is the source, under this name or another written form of it.
bool SameFile(const std::string& source, const std::string& target) {
    if (source == target) return true;
    boost::system::error_code error;
    return IsRegularFile(target) && fs::equivalent(source, target, error);
}

// Replaces data.dat whole, so a failed copy leaves the old one. Errors name the source and
// data.dat, as a direct copy would.
void CopyOver(const fs::path& source, const fs::path& target) {
    if (fs::exists(target) && !fs::is_regular_file(target)) {
        fs::copy_file(source, target,
                      fs::copy_options::overwrite_existing);  // fails with the library's error
        return;
    }
    const int error = ReplaceFileWithCopy(target.string(), source.string());
    if (error != 0)
        throw fs::filesystem_error("boost::filesystem::copy_file", source, target,
                                   boost::system::error_code(error, boost::system::system_category()));
}

}  // namespace

std::string DataPath(const std::string& directory) { return directory + "/data.dat"; }

bool DataFileExists(const std::string& directory) { return IsRegularFile(DataPath(directory)); }

void ImportData(const std::string& directory, DataTable& dataTable) {
    PrintLine("Enter Data File e.g. c://Dummy/data.csv");
    const std::string source = ReadWord();
    if (!IsRegularFile(source)) {
        PrintLine("Data file doesn't exist!");
        PrintLine("Import Data: '4'");
        return;
    }
    const std::string target = DataPath(directory);
    if (!SameFile(source, target)) CopyOver(source, target);
    PrintLine("Successfully imported data");
    LoadData(directory, dataTable);
}

void LoadData(const std::string& directory, DataTable& dataTable) {
    dataTable.clear();
    const std::string path = DataPath(directory);
    if (!DataFileExists(directory)) {
        PrintLine("No Data File Exists.");
        PrintLine("Import Data: '4'");
        return;
    }
    PrintLine("Using Data.");
    PrintLine("Data file exists. ");
    try {
        std::ifstream in(path);
        ReadDataTable(in, dataTable);
        PrintLine("Total Rows. " + std::to_string(dataTable.size()));
        PrintLine("Total Columns: " + std::to_string(dataTable.empty() ? 0 : dataTable.front().size()));
    } catch (const std::exception& error) {
        PrintLine(std::string("Error importing file: ") + error.what());
    }
}
