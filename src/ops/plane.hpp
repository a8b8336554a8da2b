// The plane profile: the mean charge density of each grid plane spanned by
// the first two lattice vectors, along the third.
#pragma once

#include <vector>

#include "model.hpp"

namespace voxmill {

// For plane k = 1 to NGZ of `CHG`: its height k h / NGZ, h the spacing of the
// a1-a2 lattice planes, and its mean density.
std::vector<PlaneMean> plane_means(const StructureHeader& header, const DensityGrid& CHG);

}  // namespace voxmill
