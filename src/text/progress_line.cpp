#include "text/progress_line.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace voxmill::progress_line {

namespace {

constexpr double redraw_seconds = 0.25;

bool shown = false;
bool silenced = false;

// The columns of the terminal on standard error, asked at every redraw so
// that a resized window is followed; 80 where it does not say.
std::size_t terminal_columns()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
    return size.ws_col;
}

// Whether a cut before `text[at]` would split the bytes of one UTF-8 character.
bool inside_character(std::string_view text, std::size_t at)
{
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

}  // namespace

bool wanted() { return !silenced && ::isatty(STDERR_FILENO) == 1; }

void silence() { silenced = true; }

void clear()
{
    if (!shown) return;
    std::fputs("\r\033[K", stderr);
    shown = false;
}

double seconds_now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string fitted(std::string_view label, std::string_view figures, std::size_t columns)
{
    const std::size_t room = columns > 0 ? columns - 1 : 0;
    std::string line = std::string(label) + std::string(figures);
    if (line.size() <= room) return line;
    const std::size_t name_at = label.find(' ') + 1;  // 0 when there is no blank
    const std::size_t fixed = name_at + figures.size() + 3;
    const std::string_view name = label.substr(name_at);
    if (fixed + 2 > room) {  // not even a character on each side of the "..."
        std::size_t end = room;
        while (inside_character(line, end)) --end;
        return line.substr(0, end);
    }
    std::size_t head = (room - fixed) / 2, tail = name.size() - (room - fixed - head);
    while (inside_character(name, head)) --head;
    while (inside_character(name, tail)) ++tail;
    return std::string(label.substr(0, name_at + head)) + "..." + std::string(name.substr(tail)) + std::string(figures);
}

Meter::Meter(std::string_view verb, std::string name, std::size_t total, std::size_t quiet_bytes, double quiet_until)
    : label_(std::string(verb) + " " + name), total_(total), quiet_bytes_(quiet_bytes), start_(seconds_now()),
      next_(std::max(start_ + redraw_seconds, quiet_until))
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
    char figures[64];
    if (total_ > 0)
        std::snprintf(figures, sizeof figures, ": %.0f%%, %.0f MB/s",
                      100.0 * static_cast<double>(done) / static_cast<double>(total_), rate);
    else
        std::snprintf(figures, sizeof figures, ": %.0f MB, %.0f MB/s", static_cast<double>(done) / 1e6, rate);
    std::fprintf(stderr, "\r%s\033[K", fitted(label_, figures, terminal_columns()).c_str());
    shown = true;
}

}  // namespace voxmill::progress_line
