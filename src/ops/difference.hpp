// Charge and spin density differences: a full system minus two fragments of it.
#pragma once

#include "input/model.hpp"

namespace voxmill {

enum class DifferenceKind { Charge, Spin };

// The grids of the two fragment files, on the full system's grid.
struct Fragments {
    const DensityGrid& CHG1;
    const DensityGrid& SPN1;
    const DensityGrid& CHG2;
    const DensityGrid& SPN2;
};

// Forms CHG - CHG1 - CHG2 and SPN - SPN1 - SPN2 in place, point by point, and
// writes the one of `kind` under CHGDIFF or SPNDIFF with the full system's header.
void density_difference(DifferenceKind kind, const StructureHeader& header, DensityGrid& CHG, DensityGrid& SPN,
                        const Fragments& fragments);

}  // namespace voxmill
