#pragma once

#include "input/model.hpp"
#include "output/output_file.hpp"

namespace voxmill {

// Writes every value of `grid`, divided by `divisor`, as one free-form output
// statement: three 24-column reals to a record, in storage order.
void write_grid_values(OutputFile& file, const DensityGrid& grid, double divisor = 1.0);

}  // namespace voxmill
