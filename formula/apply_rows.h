#pragma once
// Rows of a data file for --apply, prepared as learning prepares them for the settings' problem
// type: each data row as it is (Regression, Classifier), or one row per window of 2 * omega + 1
// data rows (Filter, Trend: the inputs of every window row, the target from the centre row or sigma
// rows after it, as many windows as learning makes). Unlike learning, a target may be missing: a
// data row may hold just its inputs, and a row or window whose target row has none gets none.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "workspace/data_file.h"
#include "workspace/settings.h"

struct PreparedRows {
    std::size_t count = 0;
    std::size_t stride = 0;       // the inputs, then the constants
    std::vector<float> callRows;  // count * stride, as compiled programs read them
    std::vector<std::optional<float>> targets;
};

// `inputCount`: inputs of a prepared row (for windows, those of a data row times the width). Throws
// BadInput for a data row shorter than a data row's inputs, an input count that is not a whole
// number of window rows, or a negative omega or sigma; `dataPath` names the file in messages.
PreparedRows PrepareApplyRows(const DataTable& table, const CSettingsSerializer& settings,
                              std::size_t inputCount, const std::vector<float>& constants,
                              const std::string& dataPath);
