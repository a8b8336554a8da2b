// The progress of a long read or write, shown on standard error when it is a
// terminal, and only then: one line, redrawn in place a few times a second,
// never wider than the terminal, and erased when the read or write ends, or
// before anything else is written to the console.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace voxmill::progress_line {

class Meter {
public:
    // A meter for `verb` ("reading", "writing") the file `name` of `total`
    // bytes (0 when its size is unknown), that shows nothing before
    // `quiet_bytes` bytes are done nor before the time `quiet_until` (of
    // seconds_now()).
    Meter(std::string_view verb, std::string name, std::size_t total, std::size_t quiet_bytes, double quiet_until = 0);
    ~Meter();
    Meter(const Meter&) = delete;
    Meter& operator=(const Meter&) = delete;

    // `done` bytes of the file are done: "reading CHGCAR.gz: 37%, 85 MB/s",
    // or "reading /dev/stdin: 512 MB, 85 MB/s" when its size is unknown.
    void show(std::size_t done);

private:
    std::string label_;  // "reading CHGCAR.gz"
    std::size_t total_, quiet_bytes_;
    double start_ = 0, next_ = 0;  // seconds: the first call, the next redraw
};

// Whether a meter would be seen: standard error is a terminal, and the run
// was not silenced.
bool wanted();

// No meter from now on, for a run that prints nothing but its failures.
void silence();

// Erases the line shown, if one is.
void clear();

// Seconds of a steady clock, for `quiet_until`.
double seconds_now();

// `label` + `figures` in at most `columns` - 1 columns, so that the cursor
// never reaches the last column and the line never wraps: what does not fit
// is cut from the middle of the file name in `label`, which begins after its
// first blank, as "reading /scratch/...3/CHGCAR: 37%".
std::string fitted(std::string_view label, std::string_view figures, std::size_t columns);

}  // namespace voxmill::progress_line
