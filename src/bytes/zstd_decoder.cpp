// zstd through libzstd, frames one after the other read as one text.
#include <zstd.h>
#include <zstd_errors.h>

#include <bit>
#include <new>
#include <string>

#include "bytes/decoders.hpp"

namespace voxmill {

namespace {

class ZstdDecoder final : public Decoder {
public:
    explicit ZstdDecoder(FileBytes& input) : input_(input), stream_(ZSTD_createDStream())
    {
        if (stream_ == nullptr) throw std::bad_alloc();
        ZSTD_DCtx_setParameter(stream_, ZSTD_d_windowLogMax, std::countr_zero(max_window));
    }
    ~ZstdDecoder() override { ZSTD_freeDStream(stream_); }

    std::size_t read(char* out, std::size_t most) override
    {
        ZSTD_outBuffer output{out, most, 0};
        while (output.pos == 0) {
            const std::span<const unsigned char> in = input_.ahead();
            ZSTD_inBuffer input{in.data(), in.size(), 0};
            const std::size_t hint = ZSTD_decompressStream(stream_, &output, &input);
            input_.take(input.pos);
            if (ZSTD_isError(hint)) {
                switch (ZSTD_getErrorCode(hint)) {
                case ZSTD_error_checksum_wrong: broken(input_, "zstd", "fails its checksum");
                case ZSTD_error_prefix_unknown: broken(input_, "zstd", "is followed by bytes that are no zstd data");
                // A frame whose text outgrows the size its header declares fills
                // libzstd's buffer of that size: corrupt as well.
                case ZSTD_error_dstSize_tooSmall:
                case ZSTD_error_corruption_detected: broken(input_, "zstd", "is corrupt");
                // zstd itself takes a window beyond 128 MiB only when told the largest it may be.
                case ZSTD_error_frameParameter_windowTooLarge: window_too_large(input_, "zstd", "zstd -dc --long=31");
                case ZSTD_error_memory_allocation: throw std::bad_alloc();
                default: broken(input_, "zstd", std::string("cannot be decoded (") + ZSTD_getErrorName(hint) + ")");
                }
            }
            if (hint == 0)
                frame_done_ = true;  // and all its text handed out
            else if (input.pos > 0)
                frame_done_ = false;
            if (in.empty() && output.pos == 0) {
                if (frame_done_) break;
                broken(input_, "zstd", "is cut short");
            }
        }
        return output.pos;
    }

private:
    FileBytes& input_;
    ZSTD_DStream* stream_;
    bool frame_done_ = false;
};

}  // namespace

std::unique_ptr<Decoder> zstd_decoder(FileBytes& input) { return std::make_unique<ZstdDecoder>(input); }

}  // namespace voxmill
