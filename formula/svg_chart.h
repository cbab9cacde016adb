#pragma once
// Charts of a program's predictions as self-contained SVG files (no scripts, links or fonts to fetch).
// Values that are not finite are left out and counted under the title.
#include <optional>
#include <string>
#include <vector>

#include "compile/class_rule.h"

// Target and prediction per row: two lines for Regression, Filter and Trend; for a Classifier the
// predictions as points coloured by the row's class, with the class thresholds. Rows count from 1,
// as --apply prints them.
std::string SvgChart(const std::vector<float>& values, const std::vector<std::optional<float>>& targets,
                     const std::optional<ClassRule>& classes, const std::string& title);

// Predictions against targets as a scatter with the diagonal where they are equal (equal scales on
// both axes), beside target and prediction per row on the same value axis. The title (a formula) is
// wrapped over up to four lines and shortened beyond them; the subtitle (the errors) follows it.
// Predictions far outside the targets' range are drawn on the edge of the plot, hollow, and counted.
// Beyond kMostChartMarkers rows the scatter shows an evenly spaced sample of them, and the lines
// per row the least and greatest value of each run of neighbouring rows.
constexpr std::size_t kMostChartMarkers = 2000;
std::string SvgFitChart(const std::vector<float>& predictions, const std::vector<float>& targets,
                        const std::string& title, const std::string& subtitle);
