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

// The length of the well-formed UTF-8 character at `at`, or 0.
std::size_t CharacterLength(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(at);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (std::size_t i = at + 1; i < at + length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    const unsigned second =
        length > 1 ? byte(at + 1) : 0;  // no overlong forms, surrogates or beyond U+10FFFF
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

// Text as XML character data: markup characters escaped, and what XML cannot hold (control
// characters, bytes that are not UTF-8) shown as '?', so that the document stays well-formed.
std::string Escaped(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = CharacterLength(text, at);
        const char c = text[at];
        if (length > 1) {
            out.append(text, at, length);
        } else if (length == 0 || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            out += '?';
        } else {
            out += c == '&'   ? "&amp;"
                   : c == '<' ? "&lt;"
                   : c == '>' ? "&gt;"
                   : c == '"' ? "&quot;"
                              : std::string(1, c);
        }
        at += std::max<std::size_t>(length, 1);
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
