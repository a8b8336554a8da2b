#include "text/console.hpp"

#include <cstdio>

#include "text/free_form_writer.hpp"
#include "text/progress_line.hpp"

namespace voxmill::console {

namespace {
bool silenced = false;
}  // namespace

void write(std::string_view records)
{
    if (silenced) return;
    progress_line::clear();
    std::fwrite(records.data(), 1, records.size(), stdout);
    std::fflush(stdout);
}

void line(std::string_view text) { write(free_form_line(text)); }

void empty_line() { write(free_form_line()); }

void note(std::string_view text)
{
    progress_line::clear();
    std::fprintf(stderr, "voxmill: %.*s\n", static_cast<int>(text.size()), text.data());
}

void silence()
{
    silenced = true;
    progress_line::silence();
}

}  // namespace voxmill::console
