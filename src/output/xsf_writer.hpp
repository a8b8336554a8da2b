// XCrySDen XSF files: a periodic crystal with Cartesian atoms and one 3D data
// grid holding density per cubic bohr.
#pragma once

#include <string_view>

#include "input/model.hpp"

namespace voxmill {

// Bohr per angstrom, as the single-precision value of 1.889726 widened to double.
inline constexpr double bohr_per_angstrom = static_cast<double>(1.889726f);

// Writes `grid` with the structure of `header` to base_name + ".xsf", every
// value divided by the cell volume in cubic bohr.
void ixcrysden(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid);

}  // namespace voxmill
