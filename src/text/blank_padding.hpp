// Names, titles and labels are texts of a fixed length, blank-padded on the
// right; their trailing blanks are no part of what they say.
#pragma once

#include <string_view>

namespace voxmill {

inline std::string_view without_trailing_blanks(std::string_view text)
{
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

// Without leading and trailing blanks, as names are placed in fields.
inline std::string_view without_blanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : without_trailing_blanks(text.substr(first));
}

}  // namespace voxmill
