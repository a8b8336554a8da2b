// gzip through ISA-L's inflate, the fastest streaming inflate Debian has (zlib
// stands in where it is missing).
#include <isa-l.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "bytes/decoders.hpp"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace voxmill {

namespace {

// ISA-L's AVX code leaves the upper halves of the vector registers in use, and
// every SSE instruction after it then waits on them: the parsing of the text
// ran at a third of its speed. Clearing them after each call costs nothing.
#if defined(__x86_64__)
__attribute__((target("avx"))) void clear_upper_halves() { _mm256_zeroupper(); }
const bool has_avx = __builtin_cpu_supports("avx");
#endif

class GzipDecoder final : public Decoder {
public:
    explicit GzipDecoder(FileBytes& input) : input_(input) { start_member(); }

    std::size_t read(char* out, std::size_t most) override
    {
        const auto room =
            static_cast<std::uint32_t>(std::min<std::size_t>(most, std::numeric_limits<std::uint32_t>::max()));
        state_.next_out = reinterpret_cast<std::uint8_t*>(out);
        state_.avail_out = room;
        while (state_.avail_out == room) {
            if (state_.block_state == ISAL_BLOCK_FINISH) {
                // A member has ended: another may follow, as `cat a.gz b.gz` makes.
                const std::span<const unsigned char> next = input_.ahead(2);
                if (next.empty()) break;
                if (next.size() < 2 || next[0] != 0x1f || next[1] != 0x8b)
                    broken(input_, "gzip", "is followed by bytes that are no gzip data");
                start_member();
            }
            const std::span<const unsigned char> in = input_.ahead();
            state_.next_in = const_cast<std::uint8_t*>(in.data());
            state_.avail_in = static_cast<std::uint32_t>(in.size());
            const int status = isal_inflate(&state_);
#if defined(__x86_64__)
            if (has_avx) clear_upper_halves();
#endif
            input_.take(in.size() - state_.avail_in);
            if (status == ISAL_INCORRECT_CHECKSUM) broken(input_, "gzip", "fails its checksum");
            if (status < 0) broken(input_, "gzip", "is corrupt");
            if (in.empty() && state_.avail_out == room && state_.block_state != ISAL_BLOCK_FINISH)
                broken(input_, "gzip", "is cut short");
        }
        return room - state_.avail_out;
    }

private:
    // Starts on a member, the room for text left as it was.
    void start_member()
    {
        std::uint8_t* const next_out = state_.next_out;
        const std::uint32_t avail_out = state_.avail_out;
        isal_inflate_init(&state_);
        state_.crc_flag = ISAL_GZIP;
        state_.next_out = next_out;
        state_.avail_out = avail_out;
    }

    FileBytes& input_;
    inflate_state state_{};
};

}  // namespace

std::unique_ptr<Decoder> gzip_decoder(FileBytes& input) { return std::make_unique<GzipDecoder>(input); }

std::string gzip_library()
{
    return "ISA-L " + std::to_string(ISAL_MAJOR_VERSION) + "." + std::to_string(ISAL_MINOR_VERSION) + "."
           + std::to_string(ISAL_PATCH_VERSION);
}

}  // namespace voxmill
