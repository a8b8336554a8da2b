// A chart of lines over one x axis, with horizontal marks and a legend, as a
// PNG picture.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "picture/axes.hpp"

namespace voxmill::picture {

struct Series {
    std::span<const double> y;  // one value for each x of the chart
    Pen pen;
    std::string label;
    bool markers = false;  // discs at the points, where they lie apart enough to be seen
};

// A horizontal line across the chart at height y.
struct Level {
    double y;
    Pen pen;
    std::string label;
};

// Vertical lines across the chart at each x.
struct Marks {
    std::vector<double> x;
    Pen pen;
    std::string label;
};

struct LineChart {
    int width = 960;
    int height = 540;
    std::string title;  // may be empty
    std::string x_label, y_label;
    std::span<const double> x;  // ascending
    std::vector<Series> series;
    std::vector<Level> levels;
    Marks marks;  // none if its x is empty
};

// The bytes of a PNG file of `chart`: x from its first to its last value, y
// over every series and level with a little room; the legend names each one,
// and the marks if there are any.
std::string line_chart_png(const LineChart& chart);

}  // namespace voxmill::picture
