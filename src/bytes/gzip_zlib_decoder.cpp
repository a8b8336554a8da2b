// gzip through zlib, for builds without ISA-L: the same text and the same
// messages, at about a third of the speed.
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>

#include "bytes/decoders.hpp"

namespace voxmill {

namespace {

class GzipDecoder final : public Decoder {
public:
    explicit GzipDecoder(FileBytes& input) : input_(input)
    {
        // 16 + the largest window: gzip members only, no zlib or raw deflate.
        if (inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK) throw std::bad_alloc();
    }
    ~GzipDecoder() override { inflateEnd(&stream_); }
    GzipDecoder(const GzipDecoder&) = delete;
    GzipDecoder& operator=(const GzipDecoder&) = delete;

    std::size_t read(char* out, std::size_t most) override
    {
        const auto room = static_cast<uInt>(std::min<std::size_t>(most, UINT_MAX));
        stream_.next_out = reinterpret_cast<Bytef*>(out);
        stream_.avail_out = room;
        while (stream_.avail_out == room) {
            if (member_ended_) {
                // A member has ended: another may follow, as `cat a.gz b.gz` makes.
                const std::span<const unsigned char> next = input_.ahead(2);
                if (next.empty()) break;
                if (next.size() < 2 || next[0] != 0x1f || next[1] != 0x8b)
                    broken(input_, "gzip", "is followed by bytes that are no gzip data");
                inflateReset(&stream_);
                member_ended_ = false;
            }
            const std::span<const unsigned char> in = input_.ahead();
            stream_.next_in = const_cast<Bytef*>(in.data());
            stream_.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size(), UINT_MAX));
            const int status = inflate(&stream_, Z_NO_FLUSH);
            input_.take(in.size() - stream_.avail_in);
            if (status == Z_STREAM_END) member_ended_ = true;
            if (status == Z_MEM_ERROR) throw std::bad_alloc();
            // zlib says "incorrect data check" for the CRC, "incorrect length check" for the size.
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
                broken(input_, "gzip",
                       stream_.msg != nullptr && std::string_view(stream_.msg).ends_with(" check") ? "fails its checksum"
                                                                                                  : "is corrupt");
            if (in.empty() && stream_.avail_out == room && !member_ended_) broken(input_, "gzip", "is cut short");
        }
        return room - stream_.avail_out;
    }

private:
    FileBytes& input_;
    z_stream stream_{};
    bool member_ended_ = false;
};

}  // namespace

std::unique_ptr<Decoder> gzip_decoder(FileBytes& input) { return std::make_unique<GzipDecoder>(input); }

std::string gzip_library() { return std::string("zlib ") + zlibVersion(); }

}  // namespace voxmill
