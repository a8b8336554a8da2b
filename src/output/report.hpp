// The information report: a summary of the main input file on the console.
#pragma once

#include "input/model.hpp"

namespace voxmill {

// Prints title, species, atom counts, magnetisation, total, spin-up and
// spin-down electrons (means over the mesh, from `sums`), scale factor, cell
// volume, scaled lattice vectors and FFT grid of a file read into `header`.
void iinfo(const StructureHeader& header, const DensitySums& sums);

// The report's lines, as iinfo prints them.
std::string information_report(const StructureHeader& header, const DensitySums& sums);

}  // namespace voxmill
