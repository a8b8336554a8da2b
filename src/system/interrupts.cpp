#include "system/interrupts.hpp"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <iterator>

namespace voxmill::interrupts {

namespace {

constexpr int stopping_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The handlers read these with async-signal-safe calls only: a slot's path
// is complete whenever its flag is set.
struct Slot {
    char path[PATH_MAX];
    volatile sig_atomic_t in_use;
};
Slot temporaries[8];  // every result of a run, written before any is renamed

void remove_temporaries()
{
    for (const Slot& slot : temporaries)
        if (slot.in_use) ::unlink(slot.path);
}

void remove_and_stop(int signal)
{
    remove_temporaries();
    // The signal is blocked while its handler runs; with its default action
    // back, it ends the process as soon as the handler returns.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigaction(signal, &action, nullptr);
    ::raise(signal);
}

sigset_t stopping_set()
{
    sigset_t set;
    ::sigemptyset(&set);
    for (const int signal : stopping_signals) ::sigaddset(&set, signal);
    return set;
}

}  // namespace

void install()
{
    struct sigaction action {};
    action.sa_handler = remove_and_stop;
    action.sa_mask = stopping_set();
    for (const int signal : stopping_signals) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
    ::signal(SIGXFSZ, SIG_IGN);
}

int register_temporary(const char* path)
{
    if (std::strlen(path) >= PATH_MAX) return -1;
    for (std::size_t n = 0; n < std::size(temporaries); ++n) {
        if (temporaries[n].in_use) continue;
        std::strcpy(temporaries[n].path, path);
        std::atomic_signal_fence(std::memory_order_release);
        temporaries[n].in_use = 1;
        return static_cast<int>(n);
    }
    return -1;
}

void clear_temporary(int slot)
{
    if (slot >= 0) temporaries[slot].in_use = 0;
}

Deferred::Deferred()
{
    const sigset_t set = stopping_set();
    ::sigprocmask(SIG_BLOCK, &set, &saved_);
}

Deferred::~Deferred() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }

}  // namespace voxmill::interrupts
