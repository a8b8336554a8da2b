#include "text/require_text.hpp"

#include <algorithm>
#include <string>

#include "system/failure.hpp"

namespace voxmill {

void require_text(TextSource& source)
{
    const std::string_view text = source.text_ahead(examined_text);
    const auto binary = std::ranges::find_if(text, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\v' && byte != '\f' && byte != '\r';
    });
    if (binary != text.end())
        throw Failure(source.path() + " is not a text file (binary data at byte "
                      + std::to_string(binary - text.begin()) + ")");
}

}  // namespace voxmill
