#include "formula/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

Axis RowAxis(std::size_t rows) {
    const double count = static_cast<double>(std::max<std::size_t>(rows, 1));
    return {0.5, count + 0.5, std::max(1.0, NiceStep(count, 8))};
}

std::string Format(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Coordinate(double value) { return Format("%.2f", value); }

namespace {

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

// Whole numbers in full (row numbers, large values), others in six significant digits; a tick at
// zero that rounding left a little off is 0.
std::string TickLabel(double value, double step) {
    if (std::fabs(value) < step / 1e6) value = 0;
    return Format(step >= 1 && std::fabs(value) < 1e9 ? "%.0f" : "%.6g", value);
}

}  // namespace

SvgDocument::SvgDocument(double width, double height) {
    const std::string w = Format("%.0f", width), h = Format("%.0f", height);
    text_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
            w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
            "\" font-family=\"sans-serif\" font-size=\"12\" fill=\"#222\">\n"
            "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
}

void SvgDocument::Text(double x, double y, const std::string& text, const char* anchor,
                       const std::string& extra) {
    text_ += "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" text-anchor=\"" + anchor + "\"" +
             extra + ">" + Escaped(text) + "</text>\n";
}

void SvgDocument::Line(double x1, double y1, double x2, double y2, const std::string& style) {
    text_ += "<line x1=\"" + Coordinate(x1) + "\" y1=\"" + Coordinate(y1) + "\" x2=\"" + Coordinate(x2) +
             "\" y2=\"" + Coordinate(y2) + "\" " + style + "/>\n";
}

void SvgDocument::Dot(double x, double y, const char* colour, const std::string& extra) {
    text_ += "<circle cx=\"" + Coordinate(x) + "\" cy=\"" + Coordinate(y) + "\" r=\"3\" fill=\"" + colour +
             "\"" + extra + "/>\n";
}

void SvgDocument::Polyline(const std::string& points, const char* colour, const char* style) {
    if (points.empty()) return;
    text_ += "<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" " + style + " points=\"" +
             points + "\"/>\n";
}

void Plot::DrawAxes(const std::string& xName, const std::string& yName, bool xGrid) const {
    for (double v = y.min; v <= y.max + y.step / 2; v += y.step) {
        svg.Line(frame.left, Y(v), frame.right, Y(v), "stroke=\"#e4e4e4\"");
        svg.Text(frame.left - 8, Y(v) + 4, TickLabel(v, y.step), "end");
    }
    for (double v = std::ceil(x.min / x.step) * x.step; v <= x.max + x.step / 1e6; v += x.step) {
        if (xGrid) svg.Line(X(v), frame.top, X(v), frame.bottom, "stroke=\"#e4e4e4\"");
        svg.Line(X(v), frame.bottom, X(v), frame.bottom + 5, "stroke=\"#333\"");
        svg.Text(X(v), frame.bottom + 20, TickLabel(v, x.step), "middle");
    }
    svg.Line(frame.left, frame.bottom, frame.right, frame.bottom, "stroke=\"#333\"");
    svg.Line(frame.left, frame.top, frame.left, frame.bottom, "stroke=\"#333\"");
    const double middle = (frame.top + frame.bottom) / 2, nameX = frame.left - 60;
    svg.Text((frame.left + frame.right) / 2, frame.bottom + 44, xName, "middle");
    svg.Text(nameX, middle, yName, "middle",
             " transform=\"rotate(-90 " + Coordinate(nameX) + " " + Coordinate(middle) + ")\"");
}
