#include "text/text_source.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "system/failure.hpp"
#include "system/interrupts.hpp"

namespace voxmill {

namespace {

// Pages already read are released in steps of this size, so that a file of
// gigabytes adds no more than this to the resident memory of the process.
constexpr std::size_t release_step = std::size_t{4} << 20;

[[noreturn]] void fail_to_read(const std::string& path, std::string_view reason)
{
    throw Failure("cannot read " + path + ": " + std::string(reason));
}

bool holds_within(std::string_view record, std::string_view text, std::size_t columns)
{
    return record.substr(0, columns).find(text) != std::string_view::npos;
}

// The line feeds in the whole records [first, last), and the records that hold
// `text` within their first `columns` characters. Sixteen places at a time
// where the processor has SSE2 (every x86-64 does): only where the first and
// the last character of the text both match is the text compared whole.
struct RecordScan {
    long holding = 0;
    long line_feeds = 0;
};

RecordScan scan_records(const char* first, const char* last, std::string_view text, std::size_t columns)
{
    RecordScan scan;
    const std::size_t n = text.size();
    const char* next_record = first;  // a record before it was looked at already
    const auto look_at = [&](const char* place) {
        if (place < next_record || std::memcmp(place, text.data(), n) != 0) return;
        const void* lf_before = ::memrchr(next_record, '\n', static_cast<std::size_t>(place - next_record));
        const char* const start = lf_before == nullptr ? next_record : static_cast<const char*>(lf_before) + 1;
        const char* const lf = static_cast<const char*>(std::memchr(place, '\n', static_cast<std::size_t>(last - place)));
        std::string_view record(start, static_cast<std::size_t>(lf - start));
        if (!record.empty() && record.back() == '\r') record.remove_suffix(1);
        scan.holding += holds_within(record, text, columns);
        next_record = lf + 1;
    };

    const char* p = first;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i head = _mm_set1_epi8(text.front());
    const __m128i tail = _mm_set1_epi8(text.back());
    while (static_cast<std::size_t>(last - p) >= 16 + n - 1) {
        // Up to 255 blocks add their line feeds in byte lanes, then the lanes are summed.
        const std::ptrdiff_t blocks = std::min<std::ptrdiff_t>((last - p - static_cast<std::ptrdiff_t>(n - 1)) / 16, 255);
        const char* const stop = p + 16 * blocks;
        __m128i lanes = _mm_setzero_si128();
        for (; p != stop; p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 1));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, lf));
            for (int places = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(bytes, head), _mm_cmpeq_epi8(ends, tail)));
                 places != 0; places &= places - 1)
                look_at(p + __builtin_ctz(static_cast<unsigned>(places)));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        scan.line_feeds += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
#endif
    for (; p != last; ++p) {
        scan.line_feeds += *p == '\n';
        if (static_cast<std::size_t>(last - p) >= n) look_at(p);
    }
    return scan;
}

}  // namespace

TextSource::TextSource(std::string path) : path_(std::move(path))
{
    // O_NONBLOCK so that a named pipe given by mistake is refused, not waited on.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) fail_to_read(path_, std::strerror(errno));
    struct stat status {};
    const char* refusal = nullptr;
    if (::fstat(fd, &status) != 0)
        refusal = std::strerror(errno);
    else if (S_ISDIR(status.st_mode))
        refusal = std::strerror(EISDIR);
    else if (!S_ISREG(status.st_mode))
        refusal = "not a regular file";
    else if (status.st_size > 0) {
        size_ = static_cast<std::size_t>(status.st_size);
        void* map = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map == MAP_FAILED)
            refusal = std::strerror(errno);
        else
            text_ = static_cast<const char*>(map);
        mapped_ = text_ != nullptr;
    }
    ::close(fd);
    if (refusal != nullptr) fail_to_read(path_, refusal);
    if (text_ != nullptr) guard_slot_ = interrupts::register_mapped_input(path_.c_str(), text_, size_);
}

TextSource::TextSource(std::string name, std::string text)
    : path_(std::move(name)), given_text_(std::move(text)), text_(given_text_.data()), size_(given_text_.size())
{
}

TextSource::~TextSource()
{
    interrupts::clear_mapped_input(guard_slot_);
    if (mapped_) ::munmap(const_cast<char*>(text_), size_);
}

bool TextSource::next_record(std::string_view& record)
{
    if (begin_ == size_) return false;
    const char* const start = text_ + begin_;
    const std::size_t unread = size_ - begin_;
    // The line end of a record of the longest length allowed, with its CR, is
    // the furthest one to look for.
    const std::size_t reach = std::min(unread, max_record_length + 2);
    std::size_t length = reach;  // the last record, with no line end, or one too long
    std::size_t taken = reach;
    if (const void* lf = std::memchr(start, '\n', reach)) {
        length = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
        taken = length + 1;
        if (length > 0 && start[length - 1] == '\r') --length;
    } else if (reach == unread && length > 0 && start[length - 1] == '\r') {
        --length;  // the last record of a file from Windows whose last line has no LF
    }
    if (length > max_record_length) fail_at(path_, line_ + 1, "line is longer than 16 MiB");
    last_begin_ = begin_;
    begin_ += taken;
    ++line_;
    if (begin_ - released_ > release_step) release_before(static_cast<std::size_t>(start - text_));
    record = {start, length};
    if (!watched_text_.empty()) watched_ += holds_within(record, watched_text_, watched_columns_);
    return true;
}

void TextSource::release_before(std::size_t offset)
{
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t end = offset / page * page;
    if (!mapped_ || end <= released_) return;
    ::madvise(const_cast<char*>(text_) + released_, end - released_, MADV_DONTNEED);
    released_ = end;
}

std::string_view TextSource::text_ahead(std::size_t most) const
{
    return {text_ + begin_, std::min(most, size_ - begin_)};
}

void TextSource::skip_records(std::size_t bytes, long records)
{
    begin_ += bytes;
    line_ += records;
    if (begin_ - released_ > release_step) release_before(begin_);
}

void TextSource::step_back()
{
    begin_ = last_begin_;
    --line_;
}

void TextSource::rewind()
{
    begin_ = 0;
    line_ = 0;
    watched_text_.clear();
}

void TextSource::watch(std::string text, std::size_t columns)
{
    watched_text_ = std::move(text);
    watched_columns_ = columns;
    watched_ = 0;
}

long TextSource::watched_to_end()
{
    while (begin_ != size_) {
        // The whole records in the next stretch of at most the longest record
        // and its line end; none of them can be too long.
        const char* const start = text_ + begin_;
        const std::size_t reach = std::min(size_ - begin_, max_record_length + 1);
        const void* last_lf = ::memrchr(start, '\n', reach);
        if (last_lf == nullptr) {
            // The last record, with no line end, or one that next_record() refuses.
            std::string_view record;
            next_record(record);
            continue;
        }
        const char* const region_end = static_cast<const char*>(last_lf) + 1;
        const RecordScan scan = scan_records(start, region_end, watched_text_, watched_columns_);
        watched_ += scan.holding;
        line_ += scan.line_feeds;
        begin_ = static_cast<std::size_t>(region_end - text_);
        release_before(begin_);
    }
    return watched_;
}

}  // namespace voxmill
