// The text of a compressed input, expanded as it is read. The format is told
// by the first bytes of the file, never by its name: gzip (of one member or
// several), bzip2, xz and zstd, each also as several streams one after the
// other.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "bytes/file_bytes.hpp"

namespace voxmill {

class Decoder {
public:
    virtual ~Decoder() = default;
    // Up to `most` bytes of text into `out`; 0 only at the end of the text.
    // Broken compressed data is a Failure "cannot read FILE: " + what is wrong.
    virtual std::size_t read(char* out, std::size_t most) = 0;
};

// The most text a decoder may keep to copy matches from: the 64 MiB that xz -9
// and zstd --ultra -21 use. A file that needs more is refused, since memory
// stays within the grids and 64 MiB; it reads through a pipe from its own
// decompressor instead.
constexpr std::size_t max_window = std::size_t{64} << 20;

// The decoder of the text of `input`, which it reads from here on, or null
// where `input` holds no compressed data: its bytes are then the text.
std::unique_ptr<Decoder> decoder_for(FileBytes& input);

// The decoders of each compressed format, for decoder_for.
std::unique_ptr<Decoder> gzip_decoder(FileBytes& input);
std::unique_ptr<Decoder> bzip2_decoder(FileBytes& input);
std::unique_ptr<Decoder> xz_decoder(FileBytes& input);
std::unique_ptr<Decoder> zstd_decoder(FileBytes& input);

// The library that decodes gzip in this build, with its version: "ISA-L 2.30.0".
std::string gzip_library();

// Throws the Failure "cannot read FILE: the FORMAT data " + what.
[[noreturn]] void broken(const FileBytes& input, std::string_view format, std::string_view what);

// Refuses data of `format` whose window is larger than max_window; the
// command `decompress` (the format's own program) decodes it into a pipe.
[[noreturn]] void window_too_large(const FileBytes& input, std::string_view format, std::string_view decompress);

}  // namespace voxmill
