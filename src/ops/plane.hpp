// Plane profiles: the mean of each grid plane spanned by two lattice vectors,
// along the third.
#pragma once

#include <span>
#include <vector>

#include "model.hpp"
#include "plane_sums.hpp"

namespace voxmill {

// For plane n = 1 to N of a grid along lattice vector `planes.axis()` (0, 1,
// 2 for a1, a2, a3; N its grid extent): its height n h / N, h the spacing of
// the lattice planes spanned by the other two vectors, and the mean of its
// values as held, from the sums of its values in `planes`.
std::vector<PlaneMean> plane_means(const StructureHeader& header, const PlaneSums& planes);

// The same profile of a grid held as density times cell volume, each mean
// divided by the cell volume: a density per cubic angstrom.
std::vector<PlaneMean> plane_densities(const StructureHeader& header, const PlaneSums& planes);

// The heights of the atomic planes normal to lattice vector `axis` above the
// plane through the origin, from 0 up to the cell's height along the normal,
// ascending, atoms within 0.01 angstrom of each other counted as one plane.
std::vector<double> atomic_plane_heights(const StructureHeader& header, int axis);

// The plane of the highest mean, the first of them where several share it;
// `profile` is not empty.
const PlaneMean& highest_plane(std::span<const PlaneMean> profile);

}  // namespace voxmill
