// The information report: a summary of the main input file on the console.
#pragma once

#include "input/model.hpp"

namespace voxmill {

// Prints title, species, atom counts, magnetisation, total, spin-up and
// spin-down electrons (means of the grids over the mesh), scale factor, cell
// volume, scaled lattice vectors and FFT grid of a file read into `header`,
// `CHG` and `SPN`.
void iinfo(const StructureHeader& header, const DensityGrid& CHG, const DensityGrid& SPN);

// The report's lines, as iinfo prints them.
std::string information_report(const StructureHeader& header, const DensityGrid& CHG, const DensityGrid& SPN);

}  // namespace voxmill
