// The one way a run fails: a Failure, thrown where the fault is found and
// turned into its message and exit status once, at the program's entry.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace voxmill {

// How the user is shown a failure.
enum class Shown {
    on_stderr,  // "voxmill: CHGCAR:12: expected a real number, found "0.5x"" on standard error
    as_error,   // "ERROR: CHGCAR does not exist!" on the console
    in_frame,   // the reason line of the command line's error frame
};

class Failure : public std::runtime_error {
public:
    Failure(std::string message, Shown shown = Shown::on_stderr) : std::runtime_error(message), shown_(shown) {}
    Shown shown() const { return shown_; }

private:
    Shown shown_;
};

// Throws the Failure "file:line: what", or "file: what" before line 1.
[[noreturn]] void fail_at(std::string_view file, long line, std::string_view what);

// Throws a Failure shown as an "ERROR: " line.
[[noreturn]] void refuse(std::string message);

}  // namespace voxmill
