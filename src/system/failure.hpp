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

// A failure shown on the console (as_error, in_frame) is also told on standard
// error, by `detail`: what failed, where the console's fixed text cannot say.
class Failure : public std::runtime_error {
public:
    Failure(std::string message, Shown shown = Shown::on_stderr, std::string detail = {})
        : std::runtime_error(message), shown_(shown), detail_(detail.empty() ? message : std::move(detail))
    {
    }
    Shown shown() const { return shown_; }
    const std::string& detail() const { return detail_; }

private:
    Shown shown_;
    std::string detail_;
};

// Throws the Failure "file:line: what", or "file: what" before line 1.
[[noreturn]] void fail_at(std::string_view file, long line, std::string_view what);

// Throws a Failure shown as an "ERROR: " line, told on standard error by
// `detail`, or else by the message itself.
[[noreturn]] void refuse(std::string message, std::string detail = {});

}  // namespace voxmill
