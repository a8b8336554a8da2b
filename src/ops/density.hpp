// Charge and spin density: a grid of the input file written as it was read.
#pragma once

#include <string_view>

#include "input/model.hpp"

namespace voxmill {

// Writes `grid` under `base_name` as an XSF file and then as a CHGCAR-layout
// file, both with the structure of `header`.
void write_density(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid);

}  // namespace voxmill
