// The values of a grid as one free-form output statement of a result file.
#pragma once

#include "model.hpp"
#include "text/output_file.hpp"

namespace voxmill {

// Writes every value of `grid`, divided by `divisor`, as one free-form output
// statement: three 24-column reals to a record, in storage order.
void write_grid_values(OutputFile& file, const DensityGrid& grid, double divisor = 1.0);

}  // namespace voxmill
