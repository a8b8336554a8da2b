// Text compressed in memory by the libraries of the formats voxmill reads, so
// that a fuzzed text reaches the reader through each decoder. gzip is made by
// zlib, whichever library decodes it.
#pragma once

#include <string>
#include <string_view>

namespace voxmill::fuzz {

enum class Compression { none, gzip, bzip2, xz, zstd };

// `text` as one stream of `format`; none gives the text itself.
std::string compressed(Compression format, std::string_view text);

}  // namespace voxmill::fuzz
