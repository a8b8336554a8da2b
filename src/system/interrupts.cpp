#include "system/interrupts.hpp"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>

namespace voxmill::interrupts {

namespace {

constexpr int stopping_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The handlers read these with async-signal-safe calls only: a slot's path
// and range are complete whenever its flag is set.
struct Slot {
    char path[PATH_MAX];
    const char* begin;
    std::size_t size;
    volatile sig_atomic_t in_use;
};
Slot temporaries[8];  // every result of a run, written before any is renamed
Slot mapped_inputs[4];

template <std::size_t N>
int take_slot(Slot (&slots)[N], const char* path, const void* begin, std::size_t size)
{
    if (std::strlen(path) >= PATH_MAX) return -1;
    for (std::size_t n = 0; n < N; ++n) {
        if (slots[n].in_use) continue;
        std::strcpy(slots[n].path, path);
        slots[n].begin = static_cast<const char*>(begin);
        slots[n].size = size;
        std::atomic_signal_fence(std::memory_order_release);
        slots[n].in_use = 1;
        return static_cast<int>(n);
    }
    return -1;
}

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

void write_error(const char* text)
{
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, text, std::strlen(text));
}

// A bus error inside a mapped input: its file became shorter than when it was
// mapped. Any other bus error ends the process as it would have without us.
void report_cut_input(int signal, siginfo_t* info, void*)
{
    const char* const address = static_cast<const char*>(info->si_addr);
    for (const Slot& slot : mapped_inputs) {
        if (!slot.in_use || address < slot.begin || address >= slot.begin + slot.size) continue;
        remove_temporaries();
        write_error("voxmill: cannot read ");
        write_error(slot.path);
        write_error(": the file was cut short while it was read\n");
        ::_exit(1);
    }
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

    struct sigaction bus_error {};
    bus_error.sa_sigaction = report_cut_input;
    bus_error.sa_flags = SA_SIGINFO;
    ::sigaction(SIGBUS, &bus_error, nullptr);
}

int register_temporary(const char* path) { return take_slot(temporaries, path, nullptr, 0); }

void clear_temporary(int slot)
{
    if (slot >= 0) temporaries[slot].in_use = 0;
}

int register_mapped_input(const char* path, const void* begin, std::size_t size)
{
    return take_slot(mapped_inputs, path, begin, size);
}

void clear_mapped_input(int slot)
{
    if (slot >= 0) mapped_inputs[slot].in_use = 0;
}

Deferred::Deferred()
{
    const sigset_t set = stopping_set();
    ::sigprocmask(SIG_BLOCK, &set, &saved_);
}

Deferred::~Deferred() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }

}  // namespace voxmill::interrupts
