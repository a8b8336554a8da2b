// Contour lines of values on a square mesh, by marching squares.
#pragma once

#include <span>
#include <vector>

#include "picture/canvas.hpp"

namespace voxmill::picture {

struct Segment {
    Point from, to;
};

// The pieces of the line where the values equal `level`, one straight piece
// in each square of four neighbouring points that it crosses, in mesh units:
// column and row indices, x = column, y = row. `values` holds `rows` rows of
// `columns` values. A square with a value that is not finite has none.
std::vector<Segment> contour_segments(std::span<const double> values, int columns, int rows, double level);

}  // namespace voxmill::picture
