// What becomes of a result file being written when the process is stopped by
// a signal: Ctrl-C (SIGINT), SIGTERM, SIGHUP or a closed pipe on standard
// output (SIGPIPE) remove the registered temporary files and then end the
// process by that same signal, so that no half-written file stays behind.
#pragma once

#include <signal.h>

namespace voxmill::interrupts {

// Installs the handlers, leaving alone a signal the process was started with
// ignored (as "nohup" does), and ignores SIGXFSZ, so that a write beyond a
// file-size limit fails with "File too large" instead of ending the process.
void install();

// The temporary files the handlers remove: a few may exist at once, each in
// a slot of its own that holds a copy of its path. Returns the slot, or -1
// when none is free or the path does not fit (the file then goes unguarded).
int register_temporary(const char* path);
void clear_temporary(int slot);

// Holds the signals above back while it lives, so that a temporary file is
// created and registered as one step.
class Deferred {
public:
    Deferred();
    ~Deferred();
    Deferred(const Deferred&) = delete;
    Deferred& operator=(const Deferred&) = delete;

private:
    sigset_t saved_;
};

}  // namespace voxmill::interrupts
