// The information report: a summary of the main input file on the console.
#pragma once

#include <span>
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

// The lines after a profile's report that name the widths of its macroscopic
// average, in angstrom, and for one window the spread of that average (its
// highest value less its lowest), in eV for a potential or in electrons per
// cubic angstrom, to the decimals of CHGPLANE, for a density.
std::string macroscopic_lines(std::span<const double> windows, double spread, bool potential);

}  // namespace voxmill
