// The progress of a long read, shown on standard error when it is a terminal,
// and only then: one line, redrawn in place a few times a second and erased
// when the read ends, or before anything else is written to the console.
#pragma once

#include <cstddef>
#include <string>

namespace voxmill::progress_line {

class Meter {
public:
    // A meter for reading `name`, a file of `total` bytes (0 when its size is
    // unknown), that shows nothing before `quiet_bytes` bytes are read.
    Meter(std::string name, std::size_t total, std::size_t quiet_bytes);
    ~Meter();
    Meter(const Meter&) = delete;
    Meter& operator=(const Meter&) = delete;

    // `done` bytes of the file are read: "reading CHGCAR.gz: 37%, 85 MB/s",
    // or "reading /dev/stdin: 512 MB, 85 MB/s" when its size is unknown.
    void show(std::size_t done);

private:
    std::string name_;
    std::size_t total_, quiet_bytes_;
    double start_ = 0, next_ = 0;  // seconds: the first call, the next redraw
};

// Whether a meter would be seen: standard error is a terminal.
bool wanted();

// Erases the line shown, if one is.
void clear();

}  // namespace voxmill::progress_line
