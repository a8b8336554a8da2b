#include "output/text_source.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
