#include "bytes/file_bytes.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "system/failure.hpp"

namespace voxmill {

namespace {

// What a decompressor is given at a time.
constexpr std::size_t piece_size = std::size_t{1} << 20;

}  // namespace

FileBytes::FileBytes(int fd, std::string path)
    : fd_(fd), path_(std::move(path)), buffer_(std::make_unique_for_overwrite<unsigned char[]>(piece_size))
{
}

FileBytes::~FileBytes() { ::close(fd_); }

std::size_t FileBytes::read_some(void* out, std::size_t most)
{
    for (;;) {
        const ssize_t got = ::read(fd_, out, most);
        if (got >= 0) {
            position_ += static_cast<std::size_t>(got);
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) throw Failure("cannot read " + path_ + ": " + std::strerror(errno));
    }
}

std::span<const unsigned char> FileBytes::ahead(std::size_t least)
{
    if (end_ - begin_ < least) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        while (end_ < least) {
            const std::size_t got = read_some(buffer_.get() + end_, piece_size - end_);
            if (got == 0) break;
            end_ += got;
        }
    }
    return {buffer_.get() + begin_, end_ - begin_};
}

void FileBytes::seek(std::size_t offset)
{
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
        throw Failure("cannot read " + path_ + ": " + std::strerror(errno));
    begin_ = end_ = 0;
    position_ = offset;
}

std::size_t FileBytes::read_into(char* out, std::size_t most)
{
    if (begin_ == end_) return read_some(out, most);
    const std::size_t count = std::min(most, end_ - begin_);
    std::memcpy(out, buffer_.get() + begin_, count);
    begin_ += count;
    return count;
}

}  // namespace voxmill
