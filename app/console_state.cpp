#include "app/console_state.h"

std::string workingDirectory;
CSettingsSerializer currentSettings{};
DataTable dataTable;

std::string GetWorkingDirectory() { return workingDirectory; }

void ApplySettings(const CSettingsSerializer& record) { currentSettings = record; }
