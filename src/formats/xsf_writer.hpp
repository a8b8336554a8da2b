// XCrySDen XSF files: a periodic crystal with Cartesian atoms and one 3D data
// grid holding density per cubic bohr.
#pragma once

#include "model.hpp"
#include "text/output_file.hpp"

namespace voxmill {

// Bohr per angstrom, as the single-precision value of 1.889726 widened to double.
inline constexpr double bohr_per_angstrom = static_cast<double>(1.889726f);

// Writes `grid` with the structure of `header` to `file`, every value divided
// by the cell volume in cubic bohr.
void ixcrysden(OutputFile& file, const StructureHeader& header, const DensityGrid& grid);

}  // namespace voxmill
