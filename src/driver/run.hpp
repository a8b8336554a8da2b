// The program's run: banner, command line, then help, an error frame or a
// mode run. Every failure ends here with its message and exit status.
#pragma once

#include <span>
#include <string>

namespace voxmill {

// Exit statuses of the program.
inline constexpr int exit_success = 0;
inline constexpr int exit_failure = 1;      // a file missing, unreadable, refused or not writable
inline constexpr int exit_usage_error = 2;  // the command line asks for nothing that can run

// Runs the program on `args` (the program name not among them) and returns its exit status.
int run(std::span<const std::string> args);

}  // namespace voxmill
