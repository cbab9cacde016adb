#pragma once
// Target and prediction per row as one self-contained SVG file (no scripts, links or fonts to fetch):
// two lines for Regression, Filter and Trend; for a Classifier the predictions as points coloured by
// the row's class, with the class thresholds. Rows count from 1, as --apply prints them; values that
// are not finite are left out and counted under the title.
#include <optional>
#include <string>
#include <vector>

#include "compile/class_rule.h"

std::string SvgChart(const std::vector<float>& values, const std::vector<std::optional<float>>& targets,
                     const std::optional<ClassRule>& classes, const std::string& title);
