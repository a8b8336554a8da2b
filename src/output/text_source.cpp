#include "output/text_source.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "output/failure.hpp"

namespace voxmill {

namespace {

// Large enough that a density block costs few system calls, small enough to
// stay out of the way of the grids.
constexpr std::size_t initial_buffer_size = std::size_t{1} << 20;

[[noreturn]] void fail_to_read(const std::string& path, std::string_view reason)
{
    throw Failure("cannot read " + path + ": " + std::string(reason));
}

}  // namespace

TextSource::TextSource(std::string path) : path_(std::move(path))
{
    // O_NONBLOCK so that a named pipe given by mistake is refused, not waited on.
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) fail_to_read(path_, std::strerror(errno));
    struct stat status {};
    const char* refusal = nullptr;
    if (::fstat(fd_, &status) != 0)
        refusal = std::strerror(errno);
    else if (S_ISDIR(status.st_mode))
        refusal = std::strerror(EISDIR);
    else if (!S_ISREG(status.st_mode))
        refusal = "not a regular file";
    if (refusal != nullptr) {
        ::close(fd_);
        fail_to_read(path_, refusal);
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    buffer_.resize(initial_buffer_size);
}

TextSource::~TextSource()
{
    ::close(fd_);
}

bool TextSource::next_record(std::string_view& record)
{
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const std::size_t unread = end_ - begin_;
        std::size_t length = 0;
        if (const void* lf = std::memchr(start, '\n', unread)) {
            length = static_cast<const char*>(lf) - start;
            begin_ += length + 1;
            if (length > 0 && start[length - 1] == '\r') --length;
        } else if (!at_eof_) {
            fill();
            continue;
        } else {
            if (unread == 0) return false;
            // The last record of a file that does not end in a line end.
            length = unread;
            begin_ = end_;
        }
        ++line_;
        if (length > max_record_length) fail_at(path_, line_, "line is longer than 16 MiB");
        record = {start, length};
        return true;
    }
}

void TextSource::fill()
{
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) {
        // One record fills the buffer. Room for the longest record allowed,
        // its CR and its LF is all it may take.
        if (buffer_.size() >= max_record_length + 2) fail_at(path_, line_ + 1, "line is longer than 16 MiB");
        buffer_.resize(std::min(buffer_.size() * 2, max_record_length + 2));
    }
    for (;;) {
        const ssize_t count = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (count > 0) {
            end_ += static_cast<std::size_t>(count);
            return;
        }
        if (count == 0) {
            at_eof_ = true;
            return;
        }
        if (errno != EINTR) fail_to_read(path_, std::strerror(errno));
    }
}

void TextSource::rewind()
{
    if (::lseek(fd_, 0, SEEK_SET) < 0) fail_to_read(path_, std::strerror(errno));
    begin_ = end_ = 0;
    at_eof_ = false;
    line_ = 0;
}

namespace {

// The number of line feeds in [first, last), sixteen bytes at a time where the
// processor has SSE2 (every x86-64 does).
long count_line_feeds(const char* first, const char* last)
{
    long count = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    while (last - first >= 16) {
        // Up to 255 blocks add their matches in byte lanes, then the lanes are summed.
        const std::ptrdiff_t blocks = std::min<std::ptrdiff_t>((last - first) / 16, 255);
        const char* const stop = first + 16 * blocks;
        __m128i lanes = _mm_setzero_si128();
        for (; first != stop; first += 16)
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first)), lf));
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
#endif
    for (; first != last; ++first) count += *first == '\n';
    return count;
}

}  // namespace

long TextSource::count_records_holding(std::string_view text, std::size_t columns)
{
    long count = 0;
    const auto holds = [&](std::string_view record) {
        return record.substr(0, columns).find(text) != std::string_view::npos;
    };
    for (;;) {
        const char* const start = buffer_.data() + begin_;
        const std::size_t unread = end_ - begin_;
        const void* last_lf = ::memrchr(start, '\n', unread);
        if (last_lf == nullptr || buffer_.size() > max_record_length) {
            // No whole record in the buffer, or records so long that only
            // next_record() tells which ones are too long.
            std::string_view record;
            if (last_lf == nullptr && !at_eof_) {
                fill();
                continue;
            }
            if (!next_record(record)) return count;
            count += holds(record);
            continue;
        }
        // The whole records [start, region_end): only the lines where the
        // text occurs are looked at.
        const char* const region_end = static_cast<const char*>(last_lf) + 1;
        const char* p = start;
        while (p != region_end) {
            const void* hit = ::memmem(p, static_cast<std::size_t>(region_end - p), text.data(), text.size());
            if (hit == nullptr) break;
            const char* const found = static_cast<const char*>(hit);
            const void* lf_before = ::memrchr(p, '\n', static_cast<std::size_t>(found - p));
            const char* const line_start = lf_before == nullptr ? p : static_cast<const char*>(lf_before) + 1;
            const char* const lf = static_cast<const char*>(std::memchr(found, '\n', static_cast<std::size_t>(region_end - found)));
            std::size_t length = static_cast<std::size_t>(lf - line_start);
            if (length > 0 && lf[-1] == '\r') --length;
            count += holds({line_start, length});
            p = lf + 1;
        }
        line_ += count_line_feeds(start, region_end);
        begin_ = static_cast<std::size_t>(region_end - buffer_.data());
    }
}

std::string read_text_field(std::string_view record, std::size_t width, std::size_t length)
{
    if (width == 0) width = length;
    std::string field(record.substr(0, width));
    field.resize(width, ' ');
    if (width >= length) return field.substr(width - length);
    field.resize(length, ' ');
    return field;
}

}  // namespace voxmill
