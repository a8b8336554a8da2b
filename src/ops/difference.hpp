// Charge and spin density differences: a full system minus two fragments of it.
#pragma once

#include "input/model.hpp"

namespace voxmill {

// The grids of `kind` of the two fragment files, on the full system's grid.
struct Fragments {
    const DensityGrid& first;
    const DensityGrid& second;
};

// Forms CHG - CHG1 - CHG2 or SPN - SPN1 - SPN2, as `kind` says, in place of
// the full system's grid `full`, point by point, and writes it under CHGDIFF
// or SPNDIFF with the full system's header.
void density_difference(GridKind kind, const StructureHeader& header, DensityGrid& full, const Fragments& fragments);

}  // namespace voxmill
