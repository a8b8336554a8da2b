// The ways a run can fail. Each is thrown where the failure is found and turned
// into its message and exit status in one place, the program's entry.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace voxmill {

// A file that cannot be read or written as it must be. The message names the
// file, and the line where there is one: "CHGCAR:12: expected a real number, found "0.5x"".
// Shown on standard error behind "voxmill: ".
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An input the program refuses by its own rules, reported on the console as an
// "ERROR: " line ("ERROR: CHGCAR does not exist!").
class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A run refused in the error frame of the command line, with this reason
// ("Grid dimensions of input files differ").
class FramedRefusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws a Failure for line `line` of the file `file`.
[[noreturn]] void fail_at(std::string_view file, long line, std::string_view what);

}  // namespace voxmill
