// bzip2 through libbz2.
#include <bzlib.h>

#include <algorithm>
#include <limits>
#include <new>

#include "bytes/decoders.hpp"

namespace voxmill {

namespace {

class Bzip2Decoder final : public Decoder {
public:
    explicit Bzip2Decoder(FileBytes& input) : input_(input) { start_stream(); }
    ~Bzip2Decoder() override { BZ2_bzDecompressEnd(&stream_); }

    std::size_t read(char* out, std::size_t most) override
    {
        const auto room = static_cast<unsigned>(std::min<std::size_t>(most, std::numeric_limits<unsigned>::max()));
        stream_.next_out = out;
        stream_.avail_out = room;
        while (stream_.avail_out == room) {
            const std::span<const unsigned char> in = input_.ahead();
            if (ended_) {
                // A stream has ended: another may follow, as `cat a.bz2 b.bz2` makes.
                if (in.empty()) break;
                BZ2_bzDecompressEnd(&stream_);
                start_stream();
            }
            stream_.next_in = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
            stream_.avail_in = static_cast<unsigned>(in.size());
            const int status = BZ2_bzDecompress(&stream_);
            input_.take(in.size() - stream_.avail_in);
            if (status == BZ_STREAM_END)
                ended_ = true;
            else if (status == BZ_DATA_ERROR_MAGIC)
                broken(input_, "bzip2", "is followed by bytes that are no bzip2 data");
            else if (status == BZ_DATA_ERROR)
                broken(input_, "bzip2", "is corrupt or fails its checksum");
            else if (status == BZ_MEM_ERROR)
                throw std::bad_alloc();
            else if (in.empty() && stream_.avail_out == room)
                broken(input_, "bzip2", "is cut short");
        }
        return room - stream_.avail_out;
    }

private:
    // Starts on a stream, the room for text left as it was.
    void start_stream()
    {
        char* const next_out = stream_.next_out;
        const unsigned avail_out = stream_.avail_out;
        stream_ = {};
        if (BZ2_bzDecompressInit(&stream_, 0, 0) != BZ_OK) throw std::bad_alloc();
        stream_.next_out = next_out;
        stream_.avail_out = avail_out;
        ended_ = false;
    }

    FileBytes& input_;
    bz_stream stream_{};
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<Decoder> bzip2_decoder(FileBytes& input) { return std::make_unique<Bzip2Decoder>(input); }

}  // namespace voxmill
