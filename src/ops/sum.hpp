// Densities added up: block 1 of several files computed in one cell on one
// FFT grid, as the all-electron core and valence densities of a run.
#pragma once

#include <optional>

#include "model.hpp"

namespace voxmill {

// The largest difference in any component of the lattice vectors, in
// angstrom, that still counts as the same cell.
inline constexpr double lattice_tolerance = 1e-5;

// A component in which two lattices differ: component `axis` of vector
// `vector` (both from 0), `second` minus `first`, in angstrom.
struct LatticeMismatch {
    int vector;
    int axis;
    double difference;
};

// The first component in which the lattice vectors of two files, times their
// scale factors, differ by more than lattice_tolerance and the rounding of
// each file's lattice, if any does.
std::optional<LatticeMismatch> lattice_mismatch(const StructureHeader& first, const StructureHeader& second);

// sum + term in place of `sum`, point by point; both grids have the same extents.
void add_grid(DensityGrid& sum, const DensityGrid& term);

}  // namespace voxmill
