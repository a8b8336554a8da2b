// Telling a text file from a binary one (an image, an HDF5 file, a disk image
// of zeros) before its bytes are read as records, so that a user who named
// the wrong file is told so rather than shown the first value it misses.
#pragma once

#include <cstddef>

#include "text/text_source.hpp"

namespace voxmill {

// The text, from its start, that is looked at: far more than any binary
// format needs to show itself, and a single read of a file's window.
inline constexpr std::size_t examined_text = std::size_t{64} << 10;

// Throws the Failure "F is not a text file (binary data at byte N)" when the
// first examined_text bytes of the text of `source`, which has read nothing
// yet, hold a byte that no text holds: a control character other than a tab,
// a line end or a form feed. N counts from 0, in the text a compressed file
// expands to. Bytes beyond are left to the readers, which show them escaped.
void require_text(TextSource& source);

}  // namespace voxmill
