#include "bytes/decoders.hpp"

#include <array>
#include <span>

#include "system/failure.hpp"

namespace voxmill {

namespace {

struct Format {
    std::string_view magic;  // '#' stands for any digit from 1 to 9
    std::unique_ptr<Decoder> (*decoder)(FileBytes&);
};

// The longest magic number.
constexpr std::size_t magic_length = 6;

const std::array<Format, 4> formats = {{
    {"\x1f\x8b", gzip_decoder},
    {"BZh#", bzip2_decoder},  // the digit is the block size
    {std::string_view("\xfd\x37zXZ\0", 6), xz_decoder},
    {"\x28\xb5\x2f\xfd", zstd_decoder},
}};

bool matches(std::string_view magic, std::span<const unsigned char> bytes)
{
    if (bytes.size() < magic.size()) return false;
    for (std::size_t i = 0; i < magic.size(); ++i)
        if (magic[i] == '#' ? bytes[i] < '1' || bytes[i] > '9' : static_cast<unsigned char>(magic[i]) != bytes[i])
            return false;
    return true;
}

}  // namespace

std::unique_ptr<Decoder> decoder_for(FileBytes& input)
{
    const std::span<const unsigned char> first_bytes = input.ahead(magic_length);
    for (const Format& format : formats)
        if (matches(format.magic, first_bytes)) return format.decoder(input);
    return nullptr;
}

void broken(const FileBytes& input, std::string_view format, std::string_view what)
{
    throw Failure("cannot read " + input.path() + ": the " + std::string(format) + " data " + std::string(what));
}

void window_too_large(const FileBytes& input, std::string_view format, std::string_view decompress)
{
    broken(input, format,
           "needs more than the " + std::to_string(max_window >> 20)
               + " MiB voxmill allows to decode; read it through a pipe from " + std::string(decompress));
}

}  // namespace voxmill
