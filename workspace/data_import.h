#pragma once
#include <string>

#include "workspace/data_file.h"

// Process-wide data table, filled only by LoadData; the engine copies what it needs when a run is prepared.
extern DataTable dataTable;

std::string DataPath(const std::string& directory);

// A regular file at <directory>/data.dat; a directory of that name does not count.
bool DataFileExists(const std::string& directory);

// Command 4: copies a data file the user names to <directory>/data.dat, then loads it.
void ImportData(const std::string& directory);

// Loads <directory>/data.dat into dataTable and prints its size.
void LoadData(const std::string& directory);
