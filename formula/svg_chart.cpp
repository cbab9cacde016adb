#include "formula/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kWidth = 860, kHeight = 480;
constexpr double kLeft = 80, kRight = 200, kTop = 64, kBottom = 56;  // the legend sits right of the plot
constexpr std::size_t kMostMarkedRows = 200;                         // beyond this, lines without dots
const char kTargetColour[] = "#1f77b4";
const char kPredictionColour[] = "#d62728";
const char kOtherColour[] = "#8c8c8c";
const char kThresholdColour[] = "#555";

struct Axis {
    double min, max, step;
    double Position(double value, double from, double to) const {
        return from + (value - min) / (max - min) * (to - from);
    }
};

// 1, 2 or 5 times a power of ten, near span / ticks.
double NiceStep(double span, int ticks) {
    const double raw = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / power;
    return (mantissa <= 1 ? 1 : mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10) * power;
}

Axis ValueAxis(const std::vector<double>& values) {
    double low = 0, high = 1;
    if (!values.empty()) {
        low = *std::min_element(values.begin(), values.end());
        high = *std::max_element(values.begin(), values.end());
    }
    if (!(high > low)) {
        const double margin = low == 0 ? 1 : std::fabs(low) / 2;
        low -= margin;
        high += margin;
    }
    const double step = NiceStep(high - low, 6);
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

// Half a row of room on either side, so the first and last points stand clear of the axes.
Axis RowAxis(std::size_t rows) {
    const double count = static_cast<double>(std::max<std::size_t>(rows, 1));
    return {0.5, count + 0.5, std::max(1.0, NiceStep(count, 8))};
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Format(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Coordinate(double value) { return Format("%.2f", value); }

struct Plot {
    Axis rows, values;
    std::string svg;

    double X(std::size_t row) const {
        return rows.Position(static_cast<double>(row + 1), kLeft, kWidth - kRight);
    }
    double Y(double value) const { return values.Position(value, kHeight - kBottom, kTop); }

    void Text(double x, double y, const std::string& text, const char* anchor, const char* extra = "") {
        svg += "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" text-anchor=\"" + anchor +
               "\"" + extra + ">" + Escaped(text) + "</text>\n";
    }
    void Line(double x1, double y1, double x2, double y2, const std::string& style) {
        svg += "<line x1=\"" + Coordinate(x1) + "\" y1=\"" + Coordinate(y1) + "\" x2=\"" + Coordinate(x2) +
               "\" y2=\"" + Coordinate(y2) + "\" " + style + "/>\n";
    }
    void Dot(double x, double y, const char* colour) {
        svg += "<circle cx=\"" + Coordinate(x) + "\" cy=\"" + Coordinate(y) + "\" r=\"3\" fill=\"" + colour +
               "\"/>\n";
    }
};

void DrawAxes(Plot& plot, const char* valueLabel) {
    const double bottom = kHeight - kBottom, right = kWidth - kRight;
    for (double v = plot.values.min; v <= plot.values.max + plot.values.step / 2; v += plot.values.step) {
        const double y = plot.Y(v);
        plot.Line(kLeft, y, right, y, "stroke=\"#e4e4e4\"");
        plot.Text(kLeft - 8, y + 4, Format("%.6g", std::fabs(v) < plot.values.step / 1e6 ? 0 : v), "end");
    }
    const double first = std::ceil(plot.rows.min / plot.rows.step) * plot.rows.step;
    for (double row = first; row <= plot.rows.max; row += plot.rows.step) {
        const double x = plot.rows.Position(row, kLeft, right);
        plot.Line(x, bottom, x, bottom + 5, "stroke=\"#333\"");
        plot.Text(x, bottom + 20, Format("%.0f", row), "middle");
    }
    plot.Line(kLeft, bottom, right, bottom, "stroke=\"#333\"");
    plot.Line(kLeft, kTop, kLeft, bottom, "stroke=\"#333\"");
    plot.Text((kLeft + right) / 2, kHeight - 12, "row", "middle");
    plot.Text(20, (kTop + bottom) / 2, valueLabel, "middle",
              (" transform=\"rotate(-90 20 " + Coordinate((kTop + bottom) / 2) + ")\"").c_str());
}

// The target wide and pale beneath, the prediction narrow on top: both stay visible where they meet.
const char kTargetLine[] = "stroke-width=\"5\" stroke-opacity=\"0.45\"";
const char kPredictionLine[] = "stroke-width=\"1.5\"";

// One polyline per run of rows with a finite value.
void DrawSeries(Plot& plot, const std::vector<std::optional<double>>& series, const char* colour,
                const char* line) {
    std::string points;
    const auto flush = [&] {
        if (!points.empty()) {
            plot.svg += "<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" " + line +
                        " points=\"" + points + "\"/>\n";
        }
        points.clear();
    };
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (!series[i]) {
            flush();
            continue;
        }
        points += (points.empty() ? "" : " ") + Coordinate(plot.X(i)) + "," + Coordinate(plot.Y(*series[i]));
        if (series.size() <= kMostMarkedRows) plot.Dot(plot.X(i), plot.Y(*series[i]), colour);
    }
    flush();
}

struct LegendEntry {
    std::string label;
    const char* colour;
    std::string line;  // the line's style; empty for a dot alone
};

void DrawLegend(Plot& plot, const std::vector<LegendEntry>& entries) {
    const double x = kWidth - kRight + 16;
    double y = kTop + 8;
    for (const LegendEntry& entry : entries) {
        if (!entry.line.empty())
            plot.Line(x, y, x + 24, y, "stroke=\"" + std::string(entry.colour) + "\" " + entry.line);
        if (entry.colour != kThresholdColour) plot.Dot(x + 12, y, entry.colour);
        plot.Text(x + 32, y + 4, entry.label, "start");
        y += 22;
    }
}

std::optional<double> Finite(float value) {
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

const char* ClassColour(const ClassRule& rule, const std::optional<float>& target) {
    if (target && *target == rule.lowClass) return kTargetColour;
    if (target && *target == rule.highClass) return kPredictionColour;
    return kOtherColour;
}

void DrawClasses(Plot& plot, const std::vector<std::optional<double>>& predictions,
                 const std::vector<std::optional<float>>& targets, const ClassRule& rule) {
    for (float threshold : {rule.low, rule.high}) {
        plot.Line(kLeft, plot.Y(threshold), kWidth - kRight, plot.Y(threshold),
                  "stroke=\"" + std::string(kThresholdColour) + "\" stroke-dasharray=\"6 4\"");
    }
    bool others = false;
    for (std::size_t i = 0; i < predictions.size(); ++i) {
        const char* colour = ClassColour(rule, targets[i]);
        others = others || colour == kOtherColour;
        if (predictions[i]) plot.Dot(plot.X(i), plot.Y(*predictions[i]), colour);
    }
    std::vector<LegendEntry> legend{{"class " + Format("%g", rule.lowClass), kTargetColour, ""},
                                    {"class " + Format("%g", rule.highClass), kPredictionColour, ""}};
    if (others) legend.push_back({"no class target", kOtherColour, ""});
    legend.push_back({"thresholds " + Format("%g", rule.low) + ", " + Format("%g", rule.high),
                      kThresholdColour, "stroke-dasharray=\"6 4\""});
    DrawLegend(plot, legend);
}

std::string Subtitle(std::size_t rows, std::size_t notFinite) {
    std::string text = std::to_string(rows) + (rows == 1 ? " row" : " rows");
    if (notFinite != 0) text += ", " + std::to_string(notFinite) + " predictions not finite (not drawn)";
    return text;
}

}  // namespace

std::string SvgChart(const std::vector<float>& values, const std::vector<std::optional<float>>& targets,
                     const std::optional<ClassRule>& classes, const std::string& title) {
    std::vector<std::optional<double>> predictions, goals;
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
    Plot plot{RowAxis(values.size()), ValueAxis(drawn), ""};
    plot.svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
        Format("%.0f", kWidth) + "\" height=\"" + Format("%.0f", kHeight) + "\" viewBox=\"0 0 " +
        Format("%.0f", kWidth) + " " + Format("%.0f", kHeight) +
        "\" font-family=\"sans-serif\" font-size=\"12\" fill=\"#222\">\n"
        "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    plot.Text(kLeft, 24, title, "start", " font-size=\"15\" font-weight=\"bold\"");
    plot.Text(kLeft, 44, Subtitle(values.size(), notFinite), "start", " fill=\"#555\"");
    DrawAxes(plot, classes ? "prediction" : "value");
    if (classes) {
        DrawClasses(plot, predictions, targets, *classes);
    } else {
        DrawSeries(plot, goals, kTargetColour, kTargetLine);
        DrawSeries(plot, predictions, kPredictionColour, kPredictionLine);
        DrawLegend(plot, {{"target", kTargetColour, kTargetLine},
                          {"prediction", kPredictionColour, kPredictionLine}});
    }
    return plot.svg + "</svg>\n";
}
