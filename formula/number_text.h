#pragma once
// Numbers as a formula and C source print them: the shortest decimal text that reads back as the
// very same value, so a printed formula holds exactly the numbers it was computed with.
#include <string>

// Whether the value is exactly a float (the run's constants are; folded parts may be wider).
bool IsFloat(long double value);

// Finite values only: the shortest "%g" text that strtof (IsFloat) or strtold reads back unchanged.
std::string ShortestText(long double value);
