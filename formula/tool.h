#pragma once
// The whole tool behind main(): reads the options and the program file, then prints the formula, the
// C source or the values on a data file. Returns the exit status: 0 done, 2 bad input (one line on
// `err`, nothing else written), 1 a failure while writing (one line on `err`).
#include <iosfwd>
#include <string>
#include <vector>

int RunFormulaTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
