// The frame of every mode run: mode line, reading the input files, the
// information report, the mode's operation, CPU time and completion banner.
#pragma once

#include <span>
#include <string>

#include "driver/command_line.hpp"

namespace voxmill {

// Runs `mode` (never Help) on the file arguments in `args`, whose count the
// command line has checked. Failures are thrown (output/failure.hpp).
void run_mode(RunMode mode, std::span<const std::string> args);

}  // namespace voxmill
