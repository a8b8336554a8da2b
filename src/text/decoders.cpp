#include "text/decoders.hpp"

#include <array>

#include "system/failure.hpp"

namespace voxmill {

namespace {

struct Format {
    std::string_view name;
    std::string_view magic;  // '#' stands for any digit from 1 to 9
    std::unique_ptr<Decoder> (*decoder)(FileBytes&);
};

const std::array<Format, 4> formats = {{
    {"gzip", "\x1f\x8b", gzip_decoder},
    {"bzip2", "BZh#", bzip2_decoder},  // the digit is the block size
    {"xz", std::string_view("\xfd\x37zXZ\0", 6), xz_decoder},
    {"zstd", "\x28\xb5\x2f\xfd", zstd_decoder},
}};

bool matches(std::string_view magic, std::span<const unsigned char> bytes)
{
    if (bytes.size() < magic.size()) return false;
    for (std::size_t i = 0; i < magic.size(); ++i)
        if (magic[i] == '#' ? bytes[i] < '1' || bytes[i] > '9' : static_cast<unsigned char>(magic[i]) != bytes[i])
            return false;
    return true;
}

const Format* format_of(std::span<const unsigned char> first_bytes)
{
    for (const Format& format : formats)
        if (matches(format.magic, first_bytes)) return &format;
    return nullptr;
}

// Text that is no compressed data: the file's bytes as they are.
class PlainText final : public Decoder {
public:
    explicit PlainText(FileBytes& input) : input_(input) {}
    std::size_t read(char* out, std::size_t most) override { return input_.read_into(out, most); }

private:
    FileBytes& input_;
};

}  // namespace

std::string_view compression_of(std::span<const unsigned char> first_bytes)
{
    const Format* format = format_of(first_bytes);
    return format == nullptr ? std::string_view{} : format->name;
}

std::unique_ptr<Decoder> decoder_for(FileBytes& input)
{
    const Format* format = format_of(input.ahead(magic_length));
    return format == nullptr ? std::make_unique<PlainText>(input) : format->decoder(input);
}

void broken(const FileBytes& input, std::string_view format, std::string_view what)
{
    throw Failure("cannot read " + input.path() + ": the " + std::string(format) + " data " + std::string(what));
}

}  // namespace voxmill
