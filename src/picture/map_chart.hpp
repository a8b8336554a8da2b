// A map of values on a square mesh as a PNG picture: the values in colour
// with contour lines, a colour bar, axes or a scale bar, an outline and
// labelled markers. x and y are drawn to the same scale, so shapes keep theirs.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "picture/colour_scale.hpp"

namespace voxmill::picture {

struct Marker {
    Point at;  // in units of the axes
    std::string label;
};

struct MapChart {
    std::string title;        // may be empty
    std::string value_label;  // beside the colour bar, with its unit
    std::string x_label, y_label;
    std::string unit;  // of x and y, for the scale bar
    int columns = 0;
    int rows = 0;
    Point first{};                                // where the first value lies, in units of the axes
    double spacing = 1;                           // between neighbouring values
    std::span<const double> values;               // row by row from the lowest y, x fastest
    ColourScale scale = ColourScale::sequential;  // diverging: centred on zero
    bool axes = true;                             // false: a scale bar in their place
    bool contours = true;
    std::vector<Point> outline;  // a closed polygon, in units of the axes
    std::vector<Marker> markers;
};

// The bytes of a PNG file of `chart`, its longer side 600 pixels across; the
// colours span the values' range (for a diverging scale, from minus to plus
// the largest magnitude), and the contour lines lie at the colour bar's ticks.
std::string map_chart_png(const MapChart& chart);

}  // namespace voxmill::picture
