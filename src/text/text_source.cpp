#include "text/text_source.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "bytes/decoders.hpp"
#include "system/failure.hpp"
#include "text/progress_line.hpp"

namespace voxmill {

namespace {

// A file's window starts at this size and grows only for records longer than
// that. It is refilled by reads of at most `read_step` bytes, small enough
// that the text is still in the processor's cache when it is parsed. Each
// fresh page costs a fault and its zeroing, so the window stays small.
constexpr std::size_t window_size = std::size_t{1} << 20;
constexpr std::size_t read_step = std::size_t{256} << 10;

// The buffer asked for a pipe, larger than the system's 64 KiB, so that the
// writer and the reader take turns less often.
constexpr int pipe_size = 1 << 20;

// Plain text shorter than this reads without a progress line.
constexpr std::size_t long_read = 200'000'000;

[[noreturn]] void fail_to_read(const std::string& path, std::string_view reason)
{
    throw Failure("cannot read " + path + ": " + std::string(reason));
}

}  // namespace

TextSource::TextSource(std::string path) : path_(std::move(path))
{
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail_to_read(path_, std::strerror(errno));
    struct stat status {};
    const char* refusal = nullptr;
    if (::fstat(fd, &status) != 0)
        refusal = std::strerror(errno);
    else if (S_ISDIR(status.st_mode))
        refusal = std::strerror(EISDIR);
    if (refusal != nullptr) {
        ::close(fd);
        fail_to_read(path_, refusal);
    }
    if (S_ISFIFO(status.st_mode)) ::fcntl(fd, F_SETPIPE_SZ, pipe_size);  // a smaller one still works
    file_ = std::make_unique<FileBytes>(fd, path_);
    decoder_ = decoder_for(*file_);
    const bool compressed = decoder_ != nullptr;
    seekable_ = S_ISREG(status.st_mode) && !compressed;
    window_ = std::make_unique_for_overwrite<char[]>(window_size);
    capacity_ = window_size;
    text_ = window_.get();
    ended_ = false;
    // A compressed file or a long regular one shows its progress from the start, any other once it has proved long.
    const std::size_t file_size = S_ISREG(status.st_mode) ? static_cast<std::size_t>(status.st_size) : 0;
    if (progress_line::wanted())
        meter_ = std::make_unique<progress_line::Meter>("reading", path_, file_size,
                                                        compressed || file_size > long_read ? 0 : long_read);
}

TextSource::TextSource(std::string name, std::string text)
    : path_(std::move(name)), given_text_(std::move(text)), text_(given_text_.data()), size_(given_text_.size())
{
}

TextSource::~TextSource() = default;

bool TextSource::next_record(std::string_view& record)
{
    if (begin_ == size_) {
        fill(1);
        if (begin_ == size_) return false;
    }
    // The line end of a record of the longest length allowed, with its CR, is
    // the furthest one to look for; a stream reads on until it has it.
    std::size_t searched = 0;
    const void* lf = nullptr;
    std::size_t reach = 0;
    for (;;) {
        const std::size_t unread = size_ - begin_;
        reach = std::min(unread, max_record_length + 2);
        lf = std::memchr(text_ + begin_ + searched, '\n', reach - searched);
        if (lf != nullptr || reach == max_record_length + 2 || ended_) break;
        searched = reach;
        fill(unread + read_step);
    }
    const char* const start = text_ + begin_;
    const std::size_t unread = size_ - begin_;
    std::size_t length = reach;  // the last record, with no line end, or one too long
    std::size_t taken = reach;
    if (lf != nullptr) {
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
    record = {start, length};
    return true;
}

void TextSource::fill(std::size_t wanted)
{
    while (!ended_ && size_ - begin_ < wanted) {
        if (capacity_ - size_ < read_step) make_room(wanted);
        std::size_t got = 0;
        try {
            const std::size_t most = std::min(capacity_ - size_, read_step);
            got =
                decoder_ ? decoder_->read(window_.get() + size_, most) : file_->read_into(window_.get() + size_, most);
        } catch (...) {
            ended_ = true;  // the text ends where the file is broken
            throw;
        }
        size_ += got;
        ended_ = got == 0;
        if (meter_) meter_->show(file_->position());
    }
}

void TextSource::make_room(std::size_t wanted)
{
    const std::size_t kept = size_ - last_begin_;
    const std::size_t needed = (begin_ - last_begin_) + wanted + read_step;
    if (needed > capacity_) {
        auto larger = std::make_unique_for_overwrite<char[]>(needed);
        std::memcpy(larger.get(), window_.get() + last_begin_, kept);
        window_ = std::move(larger);
        capacity_ = needed;
    } else {
        std::memmove(window_.get(), window_.get() + last_begin_, kept);
    }
    text_ = window_.get();
    window_offset_ += last_begin_;
    begin_ -= last_begin_;
    size_ = kept;
    last_begin_ = 0;
}

std::string_view TextSource::text_ahead(std::size_t most)
{
    fill(std::min(most, read_step));
    return {text_ + begin_, std::min(most, size_ - begin_)};
}

void TextSource::skip_records(std::size_t bytes, long records)
{
    begin_ += bytes;
    last_begin_ = begin_;
    line_ += records;
}

void TextSource::step_back()
{
    begin_ = last_begin_;
    --line_;
}

void TextSource::return_to(const Mark& mark)
{
    line_ = mark.line;
    if (mark.offset >= window_offset_ && (file_ == nullptr || mark.offset <= window_offset_ + size_)) {
        begin_ = last_begin_ = std::min(mark.offset - window_offset_, size_);
        return;
    }
    file_->seek(mark.offset);
    window_offset_ = mark.offset;
    size_ = begin_ = last_begin_ = 0;
    ended_ = false;
}

}  // namespace voxmill
