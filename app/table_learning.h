#pragma once
// `tarvo learn FILE.csv`: learns a formula for one column of a table from the others, with settings
// chosen from the data (engine/learning_defaults.h), and ends with what it found and the files it
// wrote. The front door for users who bring a table rather than a working directory.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/learning_defaults.h"
#include "workspace/csv_table.h"

struct TableRun {
    std::string file;
    CsvOptions csv;             // header and target
    LearningOptions learning;   // what the user chose; the rest is chosen from the data
    std::string out;            // the output directory; empty: DefaultOutputDirectory(file)
    bool keepPrograms = false;  // every improvement's program file, not just the last
};

// The names of --functions: add, sub, mul, div, exp, log, sin, cos, tan, sigmoid, tanh for the
// FunctionFlag bits in order; + - * / stand for the first four. None for a name not among them.
std::optional<std::int32_t> FunctionFlags(const std::string& list);
std::string FunctionList(std::int32_t flags);  // "add,sub,exp"
constexpr std::int32_t kAllFunctions = 0x7FF;

// "<file name without its extension>.tarvo", in the current directory.
std::string DefaultOutputDirectory(const std::string& file);

// Returns the exit status: 0 done, 1 the run failed or a file could not be written, 2 the table was
// refused (its problems on standard error, nothing written), 128 + the signal that stopped the run
// (after the summary of what it had found).
int LearnTable(const TableRun& run);
