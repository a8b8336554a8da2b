// Charge and spin density differences: a full system minus two fragments of it.
#pragma once

#include "input/model.hpp"

namespace voxmill {

// The grids of `kind` of the two fragment files, on the full system's grid.
struct Fragments {
    const DensityGrid& first;
    const DensityGrid& second;
};

// CHG - CHG1 - CHG2 or SPN - SPN1 - SPN2 in place of the full system's grid:
// at each point, full - first - second, left to right.
void subtract_fragments(DensityGrid& full, const Fragments& fragments);

// Writes the difference of `kind` under CHGDIFF or SPNDIFF with the full
// system's header.
void write_difference(GridKind kind, const StructureHeader& header, const DensityGrid& difference);

}  // namespace voxmill
