// CHGPLANE and POTPLANE: a plane profile as two columns, height and plane
// mean, ready for a plotting program.
#pragma once

#include <span>

#include "model.hpp"
#include "text/output_file.hpp"

namespace voxmill {

// Writes one (2F12.6) record a plane.
void write_chgplane(OutputFile& file, std::span<const PlaneMean> profile);

}  // namespace voxmill
