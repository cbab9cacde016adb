#include "app/learning.h"

#include <boost/filesystem.hpp>

#include "workspace/console.h"
#include "workspace/data_import.h"
#include "workspace/settings.h"
#include "workspace/working_directory.h"

namespace {

bool DataFileExists(const std::string& directory) {
    boost::system::error_code error;
    return boost::filesystem::is_regular_file(boost::filesystem::status(DataPath(directory), error));
}

}  // namespace

void StartLearning() {
    StopLearning();
    const std::string directory = GetWorkingDirectory();
    if (directory.empty()) {
        PrintLine("Set the working directory");
        return;
    }
    if (!SettingsFileExists(directory)) {
        PrintLine("No Settings Created. Create Settings: '3'");
        return;
    }
    PrintLine("Using Settings.");
    ApplySettings(LoadSettings(directory));
    if (!DataFileExists(directory)) {
        PrintLine("No Data. Import Data: '4'");
        return;
    }
    LoadData(directory);
}

void StopLearning() {}
