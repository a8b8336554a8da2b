// The runs of -slice and -stm after the report: the plane map computed with
// the settings of the long options, what it is told on the console, and how
// it is drawn.
#pragma once

#include <string>

#include "driver/results.hpp"
#include "driver/settings.hpp"

namespace voxmill {

// The slice of `grid`, block 1 of the file `name`, as SLICE.dat and SLICE.png.
void write_slice(const std::string& name, const StructureHeader& header, const DensityGrid& grid,
                 const Settings& settings, Results& results);

// The STM image of `grid`, block 1 of the file `name`, as STM.dat and STM.png.
void write_stm_image(const std::string& name, const StructureHeader& header, const DensityGrid& grid,
                     const Settings& settings, Results& results);

}  // namespace voxmill
