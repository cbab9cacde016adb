#include "formula/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "formula/svg_plot.h"

namespace {

constexpr std::size_t kMostMarkedRows = 200;  // beyond this, lines without dots
const char kTargetColour[] = "#1f77b4";
const char kPredictionColour[] = "#d62728";
const char kOtherColour[] = "#8c8c8c";
const char kThresholdColour[] = "#555";
const char kDashed[] = "stroke-dasharray=\"6 4\"";

// The target wide and pale beneath, the prediction narrow on top: both stay visible where they meet.
const char kTargetLine[] = "stroke-width=\"5\" stroke-opacity=\"0.45\"";
const char kPredictionLine[] = "stroke-width=\"1.5\"";

using Series = std::vector<std::optional<double>>;

std::optional<double> Finite(float value) {
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// One polyline per run of rows with a finite value.
void DrawSeries(const Plot& plot, const Series& series, const char* colour, const char* line) {
    std::string points;
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (!series[i]) {
            plot.svg.Polyline(points, colour, line);
            points.clear();
            continue;
        }
        const double x = plot.X(static_cast<double>(i) + 1.0), y = plot.Y(*series[i]);
        points += (points.empty() ? "" : " ") + Coordinate(x) + "," + Coordinate(y);
        if (series.size() <= kMostMarkedRows) plot.svg.Dot(x, y, colour);
    }
    plot.svg.Polyline(points, colour, line);
}

struct LegendEntry {
    std::string label;
    const char* colour;
    std::string line;  // the line's style; empty for a dot alone
};

// Down from (x, y), or across from it.
void DrawLegend(SvgDocument& svg, double x, double y, const std::vector<LegendEntry>& entries, bool across) {
    for (const LegendEntry& entry : entries) {
        if (!entry.line.empty())
            svg.Line(x, y, x + 24, y, "stroke=\"" + std::string(entry.colour) + "\" " + entry.line);
        if (entry.colour != kThresholdColour) svg.Dot(x + 12, y, entry.colour);
        svg.Text(x + 32, y + 4, entry.label, "start");
        if (across) {
            x += 56 + 7.0 * static_cast<double>(entry.label.size());
        } else {
            y += 22;
        }
    }
}

const char* ClassColour(const ClassRule& rule, const std::optional<float>& target) {
    if (target && *target == rule.lowClass) return kTargetColour;
    if (target && *target == rule.highClass) return kPredictionColour;
    return kOtherColour;
}

void DrawClasses(const Plot& plot, const Series& predictions,
                 const std::vector<std::optional<float>>& targets, const ClassRule& rule) {
    for (float threshold : {rule.low, rule.high}) {
        plot.svg.Line(plot.frame.left, plot.Y(threshold), plot.frame.right, plot.Y(threshold),
                      "stroke=\"" + std::string(kThresholdColour) + "\" " + kDashed);
    }
    bool others = false;
    for (std::size_t i = 0; i < predictions.size(); ++i) {
        const char* colour = ClassColour(rule, targets[i]);
        others = others || colour == kOtherColour;
        if (predictions[i]) plot.svg.Dot(plot.X(static_cast<double>(i) + 1.0), plot.Y(*predictions[i]), colour);
    }
    std::vector<LegendEntry> legend{{"class " + Format("%g", rule.lowClass), kTargetColour, ""},
                                    {"class " + Format("%g", rule.highClass), kPredictionColour, ""}};
    if (others) legend.push_back({"no class target", kOtherColour, ""});
    legend.push_back(
        {"thresholds " + Format("%g", rule.low) + ", " + Format("%g", rule.high), kThresholdColour, kDashed});
    DrawLegend(plot.svg, plot.frame.right + 16, plot.frame.top + 8, legend, false);
}

std::string RowCount(std::size_t rows) { return std::to_string(rows) + (rows == 1 ? " row" : " rows"); }

std::string NotFinite(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " prediction" : " predictions") + " not finite (not drawn)";
}

// The first `count` characters of UTF-8 text.
std::string Prefix(const std::string& text, std::size_t count) {
    std::size_t end = 0;
    for (; end < text.size(); ++end)
        if ((text[end] & 0xC0) != 0x80 && count-- == 0) break;
    return text.substr(0, end);
}

// Where a line of `line` should end: before the last term of a sum in its second half, else at its last
// blank, else where it is cut.
std::size_t LineEnd(const std::string& line) {
    const std::size_t plus = line.rfind(" + "), minus = line.rfind(" - ");
    const std::size_t term =
        std::max(plus == std::string::npos ? 0 : plus, minus == std::string::npos ? 0 : minus);
    if (term > line.size() / 2) return term;
    const std::size_t blank = line.rfind(' ');
    return blank != std::string::npos && blank > 0 ? blank : line.size();
}

// Lines of at most `width` characters, broken between terms or words where possible; beyond `most`
// lines the last one ends in "...".
std::vector<std::string> Wrapped(const std::string& text, std::size_t width, std::size_t most) {
    std::vector<std::string> lines;
    std::string rest = text;
    while (!rest.empty() && lines.size() <= most) {
        std::string line = Prefix(rest, width);
        if (line.size() < rest.size()) line.resize(LineEnd(line));
        lines.push_back(line);
        const std::size_t next = rest.find_first_not_of(' ', line.size());
        rest.erase(0, next == std::string::npos ? rest.size() : next);
    }
    if (lines.size() > most) {
        lines.resize(most);
        lines.back() = Prefix(lines.back(), width - 3) + "...";
    }
    return lines;
}

// What both panels of the fit chart share: the value axis, the rows as drawn (predictions outside
// the axis moved onto its edge) and what the header says of them.
struct FitValues {
    Axis axis;
    Series predictions, targets;
    std::vector<bool> moved;
    std::size_t notFinite = 0, outside = 0;
};

// The axis spans the targets and the predictions within a span of the targets' range on either side.
FitValues ValuesToDraw(const std::vector<float>& predictions, const std::vector<float>& targets) {
    FitValues fit;
    const std::size_t rows = std::min(predictions.size(), targets.size());
    std::vector<double> finiteTargets, drawn;
    for (std::size_t i = 0; i < rows; ++i) {
        fit.targets.push_back(Finite(targets[i]));
        fit.predictions.push_back(Finite(predictions[i]));
        if (fit.targets.back()) finiteTargets.push_back(*fit.targets.back());
        fit.notFinite += fit.predictions.back() ? 0 : 1;
    }
    drawn = finiteTargets;
    const Axis near = ValueAxis(finiteTargets);
    const double span = near.max - near.min;
    for (const auto& prediction : fit.predictions) {
        if (!prediction) continue;
        if (finiteTargets.empty() || (*prediction >= near.min - span && *prediction <= near.max + span))
            drawn.push_back(*prediction);
    }
    fit.axis = ValueAxis(drawn);
    for (auto& prediction : fit.predictions) {
        const bool out = prediction && (*prediction < fit.axis.min || *prediction > fit.axis.max);
        fit.moved.push_back(out);
        fit.outside += out ? 1 : 0;
        if (out) prediction = std::clamp(*prediction, fit.axis.min, fit.axis.max);
    }
    return fit;
}

// One line per run of rows with a finite value; beyond kMostChartMarkers rows, the least and the
// greatest value of each run of neighbouring rows, in row order, so that spikes stay visible.
void DrawRowLine(const Plot& plot, const Series& series, const char* colour, const char* line) {
    const std::size_t half = kMostChartMarkers / 2, rows = series.size();
    const std::size_t run = rows > kMostChartMarkers ? (rows + half - 1) / half : 1;
    std::string points;
    for (std::size_t from = 0; from < rows; from += run) {
        std::optional<std::size_t> low, high;
        for (std::size_t i = from; i < std::min(from + run, rows); ++i) {
            if (!series[i]) continue;
            if (!low || *series[i] < *series[*low]) low = i;
            if (!high || *series[i] > *series[*high]) high = i;
        }
        if (!low) {
            plot.svg.Polyline(points, colour, line);
            points.clear();
            continue;
        }
        const auto add = [&](std::size_t i) {
            const double x = plot.X(static_cast<double>(i) + 1.0), y = plot.Y(*series[i]);
            points += (points.empty() ? "" : " ") + Coordinate(x) + "," + Coordinate(y);
            if (rows <= kMostMarkedRows) plot.svg.Dot(x, y, colour);
        };
        add(std::min(*low, *high));
        if (*low != *high) add(std::max(*low, *high));
    }
    plot.svg.Polyline(points, colour, line);
}

// Every row's point, or an evenly spaced sample of kMostChartMarkers rows.
void DrawScatter(const Plot& plot, const FitValues& fit) {
    const std::uint64_t rows = fit.predictions.size(),
                        shown = std::min<std::uint64_t>(rows, kMostChartMarkers);
    plot.svg.Line(plot.X(plot.x.min), plot.Y(plot.y.min), plot.X(plot.x.max), plot.Y(plot.y.max),
                  "stroke=\"" + std::string(kThresholdColour) + "\" " + kDashed);
    for (std::uint64_t k = 0; k < shown; ++k) {
        const std::size_t i = static_cast<std::size_t>(k * rows / shown);
        if (!fit.predictions[i] || !fit.targets[i]) continue;
        const std::string style =
            fit.moved[i] ? " fill-opacity=\"0\" stroke=\"" + std::string(kPredictionColour) + "\""
                         : " fill-opacity=\"0.6\"";
        plot.svg.Dot(plot.X(*fit.targets[i]), plot.Y(*fit.predictions[i]), kPredictionColour, style);
    }
}

std::string Notes(const FitValues& fit) {
    std::string notes = RowCount(fit.predictions.size());
    if (fit.notFinite) notes += ", " + NotFinite(fit.notFinite);
    if (fit.outside)
        notes += ", " + std::to_string(fit.outside) + " beyond the axes (drawn hollow on their edge)";
    if (fit.predictions.size() > kMostChartMarkers)
        notes += ", " + std::to_string(kMostChartMarkers) + " of them in the scatter";
    return notes;
}

}  // namespace

std::string SvgChart(const std::vector<float>& values, const std::vector<std::optional<float>>& targets,
                     const std::optional<ClassRule>& classes, const std::string& title) {
    constexpr double kWidth = 860, kHeight = 480;
    Series predictions, goals;
    std::vector<double> drawn;
    std::size_t notFinite = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        predictions.push_back(Finite(values[i]));
        goals.push_back(targets[i] && !classes ? Finite(*targets[i]) : std::nullopt);
        for (const auto& value : {predictions.back(), goals.back()}) {
            if (value) drawn.push_back(*value);
        }
        notFinite += predictions.back() ? 0 : 1;
    }
    if (classes) drawn.insert(drawn.end(), {classes->lowClass, classes->highClass});
    SvgDocument svg(kWidth, kHeight);
    const Plot plot{svg, {80, 64, kWidth - 200, kHeight - 56}, RowAxis(values.size()), ValueAxis(drawn)};
    svg.Text(plot.frame.left, 24, title, "start", " font-size=\"15\" font-weight=\"bold\"");
    svg.Text(plot.frame.left, 44, RowCount(values.size()) + (notFinite ? ", " + NotFinite(notFinite) : ""),
             "start", " fill=\"#555\"");
    plot.DrawAxes("row", classes ? "prediction" : "value", false);
    if (classes) {
        DrawClasses(plot, predictions, targets, *classes);
    } else {
        DrawSeries(plot, goals, kTargetColour, kTargetLine);
        DrawSeries(plot, predictions, kPredictionColour, kPredictionLine);
        DrawLegend(
            svg, plot.frame.right + 16, plot.frame.top + 8,
            {{"target", kTargetColour, kTargetLine}, {"prediction", kPredictionColour, kPredictionLine}},
            false);
    }
    return svg.Finished();
}

std::string SvgFitChart(const std::vector<float>& predictions, const std::vector<float>& targets,
                        const std::string& title, const std::string& subtitle) {
    constexpr double kWidth = 1080, kMargin = 24, kSide = 380;
    const std::vector<std::string> titleLines = Wrapped(title, 118, 4),
                                   subtitleLines = Wrapped(subtitle, 150, 2);
    const FitValues fit = ValuesToDraw(predictions, targets);
    const double top = 30 + 19.0 * static_cast<double>(titleLines.size()) + 17.0 * static_cast<double>(subtitleLines.size() + 1) + 28;
    SvgDocument svg(kWidth, top + kSide + 64);
    double y = 30;
    for (const std::string& line : titleLines) {
        svg.Text(kMargin, y, line, "start",
                 " font-family=\"monospace\" font-size=\"14\" font-weight=\"bold\"");
        y += 19;
    }
    for (const std::string& line : subtitleLines) {
        svg.Text(kMargin, y, line, "start");
        y += 17;
    }
    svg.Text(kMargin, y, Notes(fit), "start", " fill=\"#555\"");

    const Plot scatter{svg, {kMargin + 76, top, kMargin + 76 + kSide, top + kSide}, fit.axis, fit.axis};
    scatter.DrawAxes("target", "prediction", true);
    DrawScatter(scatter, fit);
    DrawLegend(svg, scatter.frame.left, top - 16, {{"prediction = target", kThresholdColour, kDashed}}, true);

    const Plot perRow{svg,
                      {scatter.frame.right + 110, top, kWidth - kMargin, top + kSide},
                      RowAxis(fit.targets.size()),
                      fit.axis};
    perRow.DrawAxes("row", "value", false);
    DrawRowLine(perRow, fit.targets, kTargetColour, kTargetLine);
    DrawRowLine(perRow, fit.predictions, kPredictionColour, kPredictionLine);
    DrawLegend(svg, perRow.frame.left, top - 16,
               {{"target", kTargetColour, kTargetLine}, {"prediction", kPredictionColour, kPredictionLine}},
               true);
    return svg.Finished();
}
