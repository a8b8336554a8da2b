// Charge and spin density differences: a full system minus two fragments of it.
#pragma once

#include "model.hpp"

namespace voxmill {

// full - first - second in place of `full`, point by point, left to right;
// the three grids have the same extents.
void subtract_fragments(DensityGrid& full, const DensityGrid& first, const DensityGrid& second);

}  // namespace voxmill
