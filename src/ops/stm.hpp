// Simulated STM images of a slab with its surface normal to a3, in the
// Tersoff-Hamann picture: the tunnelling current is taken proportional to
// the density (of a PARCHG, the states in the bias window) at the tip.
#pragma once

#include "ops/plane_mesh.hpp"

namespace voxmill {

// The top of the slab: the atom just below the widest gap between the atoms'
// positions along a3, whichever way the slab wraps through the cell.
struct SlabTop {
    int atom;             // from 1, in the file's order
    double c;             // its fractional position along a3, in [0, 1)
    double gap;           // the gap above it, a fraction of a3
    double layer_height;  // the height along the surface normal of one cell along a3, in angstrom
};
SlabTop slab_top(const StructureHeader& header);

// The frame of the surface: the plane of a1 and a2, x along a1.
PlaneFrame surface_frame(const Cell& cell);

// Constant-height image: the density at `height` angstrom above the top atom,
// divided by `divisor` (the cell volume for a density held times it).
PlaneMap constant_height_image(const StructureHeader& header, const DensityGrid& grid, const MeshSettings& settings,
                               double height, double divisor);

// Constant-current image: at each point, the height in angstrom above the top
// atom where the density divided by `divisor` first reaches `isovalue`, coming down
// along a3 from the middle of the vacuum.
PlaneMap constant_current_image(const StructureHeader& header, const DensityGrid& grid, const MeshSettings& settings,
                                double isovalue, double divisor);

}  // namespace voxmill
