// xz through liblzma, streams one after the other read as one.
#include <lzma.h>

#include <cstdint>
#include <new>

#include "bytes/decoders.hpp"

namespace voxmill {

namespace {

// The dictionary of max_window bytes and the decoder's own state, 64 KiB of it for xz -9.
constexpr std::uint64_t memory_limit = max_window + (1 << 20);

class XzDecoder final : public Decoder {
public:
    explicit XzDecoder(FileBytes& input) : input_(input)
    {
        if (lzma_stream_decoder(&stream_, memory_limit, LZMA_CONCATENATED) != LZMA_OK) throw std::bad_alloc();
    }
    ~XzDecoder() override { lzma_end(&stream_); }

    std::size_t read(char* out, std::size_t most) override
    {
        stream_.next_out = reinterpret_cast<std::uint8_t*>(out);
        stream_.avail_out = most;
        while (stream_.avail_out == most && !ended_) {
            const std::span<const unsigned char> in = input_.ahead();
            stream_.next_in = in.data();
            stream_.avail_in = in.size();
            const lzma_ret status = lzma_code(&stream_, in.empty() ? LZMA_FINISH : LZMA_RUN);
            input_.take(in.size() - stream_.avail_in);
            switch (status) {
            case LZMA_OK: break;
            case LZMA_STREAM_END: ended_ = true; break;
            case LZMA_BUF_ERROR: broken(input_, "xz", "is cut short");
            case LZMA_FORMAT_ERROR: broken(input_, "xz", "is followed by bytes that are no xz data");
            case LZMA_OPTIONS_ERROR: broken(input_, "xz", "uses options liblzma does not know");
            case LZMA_MEMLIMIT_ERROR: window_too_large(input_, "xz", "xz -dc");
            case LZMA_MEM_ERROR: throw std::bad_alloc();
            default: broken(input_, "xz", "is corrupt or fails its checksum");
            }
        }
        return most - stream_.avail_out;
    }

private:
    FileBytes& input_;
    lzma_stream stream_ = LZMA_STREAM_INIT;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<Decoder> xz_decoder(FileBytes& input) { return std::make_unique<XzDecoder>(input); }

}  // namespace voxmill
