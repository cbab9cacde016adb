#pragma once
// Training rows of a run, prepared from the data table at every engine initialisation.
//
// Regression and Classifier (and any type with neither the Filter bit 0x2 nor the Trend bit 0x8) use each
// data row as it is. Filter and Trend build one training row per window of W = 2*omega + 1 consecutive
// data rows: the K inputs of every window row in order, then the value at position K of the window's centre
// row (Filter) or of the row sigma rows after the centre (Trend). Windows start at rows 0 .. M-1, where
// M = N - 2*omega for Filter and N - 2*(omega + sigma) for Trend; Filter ignores sigma.
//
// A table may hold empty rows (a header line) and rows of unequal length, and the settings may hold any
// integers, so these rules keep every read inside the table and its rows:
// - K is the value count of the first non-empty data row minus one. A data row is usable when it has at
//   least K + 1 values; longer rows are used as they are.
// - Regression and Classifier leave out unusable rows. Filter and Trend build no window that holds an
//   unusable row or whose target row is unusable; the other windows keep their places.
// - Without a non-empty data row, `rows` ends up empty and `inputCount` keeps its earlier value.
// - Filter and Trend refuse a negative omega, Trend a negative sigma, and both a window whose input count
//   W * K does not fit `inputCount`: they throw std::runtime_error with a one-line message and leave
//   `rows` and `inputCount` as they were, so learning does not start.
#include <cstdint>
#include <vector>

#include "workspace/settings.h"

// Rebuilds `rows` (inputCount inputs, then the target, in each) and sets `inputCount`.
void PrepareTrainingRows(const std::vector<std::vector<float>>& dataTable,
                         const CSettingsSerializer& settings, std::vector<std::vector<float>>& rows,
                         std::int32_t& inputCount);
