// The plane modes after the report: the profile, its macroscopic average and
// its console lines, the profile file and its picture.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "driver/modes.hpp"
#include "driver/results.hpp"
#include "driver/settings.hpp"

namespace voxmill {

// The profile of block 1 of the file `name`, from the sums of its `planes`,
// as `mode` asks, written to `results` with its macroscopic average and its
// picture if `settings` ask for them. The grid has at least one plane.
void run_profile(const Mode& mode, const std::string& name, const StructureHeader& header, const PlaneSums& planes,
                 const Settings& settings, Results& results);

}  // namespace voxmill
