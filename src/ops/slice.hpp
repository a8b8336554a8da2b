// Slices: the values of a grid on a plane through the cell, a lattice plane
// (h k l) or the plane through three atoms.
#pragma once

#include <array>

#include "ops/plane_mesh.hpp"

namespace voxmill {

// The lattice plane (h k l) at `offset` angstrom from the origin along its
// normal h b1 + k b2 + l b3 (b the reciprocal vectors). x runs along the first
// lattice vector in the plane (a1 for (0 0 1)), or the projection of a1 when
// none is; one cell of the plane is spanned by the two shortest lattice
// vectors in it that enclose the smallest area.
PlaneFrame miller_plane(const Cell& cell, const std::array<int, 3>& hkl, double offset);

// The plane through atoms i, j and k (numbered from 1 in the file's order),
// its normal (r_j - r_i) x (r_k - r_i). Its cell is that of the lattice
// plane of the same orientation where there is one with indices up to 12,
// else the shadow of the cell face most nearly in the plane.
PlaneFrame plane_through_atoms(const Cell& cell, const StructureHeader& header, const std::array<int, 3>& atoms);

// The slice of `grid` on the plane: each value interpolated (tricubic) and
// divided by `divisor` (the cell volume for a density held times it), with
// the atoms within half the grid's coarsest step of the plane.
PlaneMap slice(const StructureHeader& header, const DensityGrid& grid, const PlaneFrame& frame,
               const MeshSettings& settings, double divisor);

}  // namespace voxmill
