// Charge and spin density differences: a full system minus two fragments of it.
#pragma once

#include <cstddef>
#include <span>

#include "input/model.hpp"

namespace voxmill {

// The grids of `kind` of the two fragment files, on the full system's grid.
struct Fragments {
    const DensityGrid& first;
    const DensityGrid& second;
};

// A stretch of CHG - CHG1 - CHG2 or SPN - SPN1 - SPN2: for the points of the
// full system's grid from `from` on, full[i] - first - second, left to right,
// into result[from + i]. `result` may be the full grid or the first fragment.
void subtract_fragments(std::span<const double> full, std::size_t from, const Fragments& fragments, double* result);

// Writes the difference of `kind` under CHGDIFF or SPNDIFF with the full
// system's header.
void write_difference(GridKind kind, const StructureHeader& header, const DensityGrid& difference);

}  // namespace voxmill
