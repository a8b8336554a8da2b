// A frame of axes on a canvas: numbers along the x and y axes placed in pixels,
// ticks with their values, axis labels with their units, lines, markers and a
// legend inside the frame.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "picture/canvas.hpp"

namespace voxmill::picture {

struct Range {
    double low, high;
};

// Round values for ticks, 1, 2 or 5 times a power of ten apart, about `count`
// of them, the ones inside `range`.
std::vector<double> ticks(Range range, int count);

// The text of a tick value with the decimals its step needs: 0.5, 10, −2.
std::string tick_text(double value, double step);

// `range` widened by `fraction` of its width at both ends; a single value, or
// a range too narrow for its digits, by a tenth of its size (one unit at 0).
Range widened(Range range, double fraction);

struct LegendEntry {
    std::string label;
    Pen pen;
    bool marker = false;  // a disc of the pen's colour on the line
};

class Axes {
public:
    // Axes whose frame is `frame` on `canvas`, from x.low to x.high left to
    // right and from y.low to y.high bottom to top.
    Axes(Canvas& canvas, Box frame, Range x, Range y);

    Point at(double x, double y) const;

    // The frame, light grid lines at the ticks (unless `grid` is false, as over
    // a map), the tick values and the axis labels outside it, in `size`-pixel
    // text (the labels a little larger).
    void draw_frame(std::string_view x_label, std::string_view y_label, double size, bool grid = true);

    // The width the tick values of the y axis take at `size`, for the margin.
    static double y_tick_width(Canvas& canvas, Range y, double size);

    // Lines and markers, clipped to the frame.
    void line(std::span<const double> x, std::span<const double> y, const Pen& pen);
    void markers(std::span<const double> x, std::span<const double> y, double radius, Colour colour);
    void horizontal_line(double y, const Pen& pen);
    void vertical_line(double x, const Pen& pen);

    // The entries in rows centred above the frame, clear of the data, the
    // last row a `size` over it and each row 1.5 `size` above the next.
    void legend(std::span<const LegendEntry> entries, double size);

    // The rows the legend takes: as many entries to a row as fit the width
    // of `frame`.
    static std::vector<std::span<const LegendEntry>> legend_rows(Canvas& canvas, std::span<const LegendEntry> entries,
                                                                 double size, const Box& frame);

private:
    Canvas& canvas_;
    Box frame_;
    Range x_, y_;
};

}  // namespace voxmill::picture
