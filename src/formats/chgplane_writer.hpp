// CHGPLANE and POTPLANE: a plane profile as two columns, height and plane
// mean, and a third with the macroscopic average where there is one; ready
// for a plotting program.
#pragma once

#include <span>

#include "model.hpp"
#include "text/output_file.hpp"

namespace voxmill {

// Writes one (2F12.6) record a plane, or (3F12.6) with `macroscopic`, which
// then holds one value a plane.
void write_chgplane(OutputFile& file, std::span<const PlaneMean> profile, std::span<const double> macroscopic = {});

}  // namespace voxmill
