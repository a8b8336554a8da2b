// SLICE.dat and STM.dat: the values of a plane map as a table of x, y and
// value, one row of the mesh after another with a blank line between them,
// as gnuplot's pm3d and splot read a grid.
#pragma once

#include "model.hpp"
#include "text/output_file.hpp"

namespace voxmill {

// One record a point: x and y as F12.6, then the value as a 24-column real
// field of 15 significant digits.
void write_map_table(OutputFile& file, const PlaneMap& map);

}  // namespace voxmill
