// printf into a string, for console lines, messages and titles.
#pragma once

#include <cstdio>
#include <string>

namespace voxmill {

// The text `format` gives `values`, whatever its length.
template <typename... Values>
std::string formatted(const char* format, Values... values)
{
    const int length = std::snprintf(nullptr, 0, format, values...);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, format, values...);
    return text;
}

}  // namespace voxmill
