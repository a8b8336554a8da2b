// The frame of every mode run: the mode line, reading the input files, the
// information report, the mode's operation and its results, then the CPU time
// and the completion banner.
#pragma once

#include <span>
#include <string>

#include "driver/modes.hpp"

namespace voxmill {

// Runs `mode` (neither Help nor Version) on `files`, the main file first, whose
// count the command line has checked, with the settings of its long options.
// Failures are thrown (system/failure.hpp).
void run_mode(const Mode& mode, std::span<const std::string> files, const Settings& settings);

}  // namespace voxmill
