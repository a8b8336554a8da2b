// Result grids in the CHGCAR layout (".vasp" files), which any program that
// reads CHGCAR files can open: always with a species line, one block, values
// as held.
#pragma once

#include <string_view>

#include "input/model.hpp"

namespace voxmill {

// Writes `grid` with the structure of `header` to base_name + ".vasp".
void ivaspview(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid);

}  // namespace voxmill
