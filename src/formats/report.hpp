// The information report: a summary of the main input file on the console.
#pragma once

#include <string>

#include "model.hpp"

namespace voxmill {

// The lines of the report on the file of `header`, whose densities summed to
// `sums`: title, species, counts, magnetisation and electrons (the means of
// the grids over the mesh), scale, volume, lattice vectors and FFT grid.
std::string iinfo(const StructureHeader& header, const DensitySums& sums);

// The line after the report of a potential's profile: its highest plane mean,
// the vacuum level of a slab, and the height of that plane.
std::string vacuum_level_line(const PlaneMean& highest);

}  // namespace voxmill
