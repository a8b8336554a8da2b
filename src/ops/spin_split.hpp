// The up/down split: spin-up and spin-down densities from the charge and
// magnetisation densities.
#pragma once

#include "model.hpp"

namespace voxmill {

// Forms CHGUP = (CHG + SPN) * 0.5 and CHGDN = (CHG - SPN) * 0.5 point by point,
// in place of CHG and SPN, which nothing needs afterwards.
void split_spin(DensityGrid& CHG, DensityGrid& SPN);

}  // namespace voxmill
