// The frame of every mode run: the mode line, reading the input files, the
// information report, the mode's operation and its results, then the CPU time
// and the completion banner.
#pragma once

#include <span>
#include <string>

#include "driver/modes.hpp"

namespace voxmill {

// Runs `mode` (never Help) on the file arguments in `args`, whose count the
// command line has checked. Failures are thrown (system/failure.hpp).
void run_mode(const Mode& mode, std::span<const std::string> args);

}  // namespace voxmill
