#include "text/progress_line.hpp"

#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace voxmill::progress_line {

namespace {

constexpr double redraw_seconds = 0.25;

bool shown = false;

double seconds_now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool wanted() { return ::isatty(STDERR_FILENO) == 1; }

void clear()
{
    if (!shown) return;
    std::fputs("\r\033[K", stderr);
    shown = false;
}

Meter::Meter(std::string name, std::size_t total, std::size_t quiet_bytes)
    : name_(std::move(name)), total_(total), quiet_bytes_(quiet_bytes), start_(seconds_now()),
      next_(start_ + redraw_seconds)
{
}

Meter::~Meter() { clear(); }

void Meter::show(std::size_t done)
{
    if (done < quiet_bytes_) return;
    const double now = seconds_now();
    if (now < next_) return;
    next_ = now + redraw_seconds;
    const double rate = static_cast<double>(done) / 1e6 / (now - start_);
    if (total_ > 0)
        std::fprintf(stderr, "\rreading %s: %.0f%%, %.0f MB/s\033[K", name_.c_str(),
                     100.0 * static_cast<double>(done) / static_cast<double>(total_), rate);
    else
        std::fprintf(stderr, "\rreading %s: %.0f MB, %.0f MB/s\033[K", name_.c_str(), static_cast<double>(done) / 1e6,
                     rate);
    shown = true;
}

}  // namespace voxmill::progress_line
