// The macroscopic average of a plane profile: the plane means convolved,
// periodically along the axis, with one box window or two in turn, so that
// the oscillation of the atomic layers averages out (Baldereschi, Baroni and
// Resta, PRL 61, 734 (1988)).
#pragma once

#include <span>
#include <vector>

#include "model.hpp"

namespace voxmill {

// The means of `profile`, whose planes lie its first height apart (a plane
// profile reports plane k at k spacings; the sign aside), convolved with a
// box of each width of `windows` in turn, in the unit of the heights. Each
// plane stands for a slab one spacing h thick; the box of width L centred on
// plane k weighs plane j by the part of that slab inside it, min(1, max(0,
// L/(2h) + 1/2 - |j - k|)), over every periodic image of j, and the sum is
// divided by L/h. Widths are at least h, where that rule holds; those longer
// than the whole period are allowed, the images see to it.
std::vector<double> macroscopic_average(std::span<const PlaneMean> profile, std::span<const double> windows);

}  // namespace voxmill
