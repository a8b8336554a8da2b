// Result grids in the CHGCAR layout (".vasp" files), which any program that
// reads CHGCAR files can open: always with a species line, one block, values
// as held.
#pragma once

#include "model.hpp"
#include "text/output_file.hpp"

namespace voxmill {

// Writes `grid` with the structure of `header` to `file`.
void ivaspview(OutputFile& file, const StructureHeader& header, const DensityGrid& grid);

}  // namespace voxmill
