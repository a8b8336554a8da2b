// The up/down split: spin-up and spin-down densities from the charge and
// magnetisation densities.
#pragma once

#include "input/model.hpp"

namespace voxmill {

// Forms CHGUP = (CHG + SPN) * 0.5 and CHGDN = (CHG - SPN) * 0.5 in place of
// CHG and SPN, point by point, and writes each as an XSF and a CHGCAR-layout
// file, CHGUP first.
void split_spin(const StructureHeader& header, DensityGrid& CHG, DensityGrid& SPN);

}  // namespace voxmill
