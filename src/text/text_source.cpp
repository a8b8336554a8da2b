#include "text/text_source.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

void TextSource::return_to(const Mark& mark)
{
    begin_ = mark.begin;
    line_ = mark.line;
}

}  // namespace voxmill
