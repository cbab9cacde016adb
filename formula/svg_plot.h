#pragma once
// What the charts draw with: axes that end at nice numbers, an SVG document written as text, and plot
// areas that map values to its coordinates. Self-contained SVG: no scripts, links or fonts to fetch.
#include <cstddef>
#include <string>
#include <vector>

struct Axis {
    double min, max, step;
    double Position(double value, double from, double to) const {
        return from + (value - min) / (max - min) * (to - from);
    }
};

// 1, 2 or 5 times a power of ten, near span / ticks.
double NiceStep(double span, int ticks);
// From and to nice steps around the values; a range about them when they are all equal, 0 to 1 when
// there are none.
Axis ValueAxis(const std::vector<double>& values);
// Rows 1 to `rows` with half a row of room on either side, so the end points stand clear of the axes.
Axis RowAxis(std::size_t rows);

std::string Format(const char* format, double value);

class SvgDocument {
  public:
    SvgDocument(double width, double height);

    void Text(double x, double y, const std::string& text, const char* anchor, const std::string& extra = "");
    void Line(double x1, double y1, double x2, double y2, const std::string& style);
    void Dot(double x, double y, const char* colour, const std::string& extra = "");
    // "x,y x,y ..." as one line; nothing when empty.
    void Polyline(const std::string& points, const char* colour, const char* style);
    std::string Finished() const { return text_ + "</svg>\n"; }

  private:
    std::string text_;
};

std::string Coordinate(double value);

struct Frame {
    double left, top, right, bottom;
};

struct Plot {
    SvgDocument& svg;
    Frame frame;
    Axis x, y;

    double X(double value) const { return x.Position(value, frame.left, frame.right); }
    double Y(double value) const { return y.Position(value, frame.bottom, frame.top); }
    // Grid lines across the frame at the y ticks (and at the x ticks when `xGrid`), tick labels on
    // both axes, and the axes' names below and left of them.
    void DrawAxes(const std::string& xName, const std::string& yName, bool xGrid) const;
};
