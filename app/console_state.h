#pragma once
// What the console's commands share for the whole process, as the console keeps it: the working
// directory, the settings of the next run and the data table. Only the console thread touches them;
// a run works on the copies its engine took.
#include <string>

#include "workspace/data_file.h"
#include "workspace/settings.h"

// Stored exactly as typed; empty means not set. Only command 1 writes it.
extern std::string workingDirectory;
std::string GetWorkingDirectory();

// All zero at start, written only by command 5.
extern CSettingsSerializer currentSettings;
void ApplySettings(const CSettingsSerializer& record);

// Filled only by loading data.dat (commands 2, 4 and 5).
extern DataTable dataTable;
