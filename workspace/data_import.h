#pragma once
#include <string>

#include "workspace/data_file.h"

std::string DataPath(const std::string& directory);

// A regular file at <directory>/data.dat; a directory of that name does not count.
bool DataFileExists(const std::string& directory);

// Command 4: copies a data file the user names to <directory>/data.dat, then loads it.
void ImportData(const std::string& directory, DataTable& dataTable);

// Loads <directory>/data.dat into `dataTable`, emptied first, and prints its size.
void LoadData(const std::string& directory, DataTable& dataTable);
