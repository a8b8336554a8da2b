// The plane profile: the mean charge density of each grid plane spanned by
// the first two lattice vectors, along the third.
#pragma once

#include <string>

#include "input/model.hpp"

namespace voxmill {

// The CHGPLANE records of `CHG`: for plane k = 1 to NGZ, its height k h / NGZ
// above the origin (h the spacing of the a1-a2 lattice planes) and its mean
// density, in "(2F12.6)" records.
std::string plane_records(const StructureHeader& header, const DensityGrid& CHG);

// Writes the profile of `CHG` to the file CHGPLANE.
void plane_density(const StructureHeader& header, const DensityGrid& CHG);

}  // namespace voxmill
