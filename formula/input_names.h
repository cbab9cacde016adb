#pragma once
// Names that a printed formula gives the data inputs in place of x0, x1, ... (--names a,b,c).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A comma-separated list of distinct names, each a letter or "_" followed by letters, digits, "_" or
// ".", and neither "inf" nor "NaN" (which a formula prints as numbers). Throws BadInput naming the
// first name that breaks the rule.
std::vector<std::string> ReadInputNames(const std::string& list);

// The names of `inputCount` inputs. Plain rows: one name an input. Windows of 2 * halfWidth + 1
// rows (Filter, Trend; halfWidth > 0): one name a data column, and an input is the column in one
// row of the window, its offset from the centre row in brackets: a[-1], a[0], a[+1]. Throws
// BadInput when the counts do not fit.
std::vector<std::string> InputNames(const std::vector<std::string>& names, std::size_t inputCount,
                                    std::int64_t halfWidth);
