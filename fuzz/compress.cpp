#include "compress.hpp"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace voxmill::fuzz {

namespace {

// Room for the compressed form of `size` bytes in any of the formats.
std::size_t room_for(std::size_t size) { return size + size / 2 + 1024; }

std::string gzip(std::string_view text)
{
    z_stream stream{};
    // A window of 32 KiB (15) in a gzip member (+ 16).
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return out;
}

std::string bzip2(std::string_view text)
{
    std::string out(room_for(text.size()), '\0');
    auto length = static_cast<unsigned>(out.size());
    if (BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char*>(text.data()),
                                 static_cast<unsigned>(text.size()), 1, 0, 0)
        != BZ_OK)
        throw std::runtime_error("BZ2_bzBuffToBuffCompress failed");
    out.resize(length);
    return out;
}

std::string xz(std::string_view text)
{
    std::string out(room_for(text.size()), '\0');
    std::size_t length = 0;
    if (lzma_easy_buffer_encode(0, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const std::uint8_t*>(text.data()),
                                text.size(), reinterpret_cast<std::uint8_t*>(out.data()), &length, out.size())
        != LZMA_OK)
        throw std::runtime_error("lzma_easy_buffer_encode failed");
    out.resize(length);
    return out;
}

std::string zstd(std::string_view text)
{
    std::string out(ZSTD_compressBound(text.size()), '\0');
    const std::size_t length = ZSTD_compress(out.data(), out.size(), text.data(), text.size(), 3);
    if (ZSTD_isError(length)) throw std::runtime_error("ZSTD_compress failed");
    out.resize(length);
    return out;
}

}  // namespace

std::string compressed(Compression format, std::string_view text)
{
    switch (format) {
    case Compression::gzip: return gzip(text);
    case Compression::bzip2: return bzip2(text);
    case Compression::xz: return xz(text);
    case Compression::zstd: return zstd(text);
    case Compression::none: break;
    }
    return std::string(text);
}

}  // namespace voxmill::fuzz
