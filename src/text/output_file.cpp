#include "text/output_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "system/failure.hpp"
#include "system/interrupts.hpp"
#include "text/progress_line.hpp"

namespace voxmill {

namespace {

constexpr std::size_t buffer_size = std::size_t{1} << 20;

// How long writing results goes on before its progress is shown.
constexpr double quiet_seconds = 1.0;

[[noreturn]] void fail_writing(const std::string& path)
{
    throw Failure("cannot write " + path + ": " + std::strerror(errno));
}

// The mode a newly created file gets: 0666 less the process's umask.
mode_t new_file_mode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

OutputFile::OutputFile(std::string path, double writing_since)
    : path_(std::move(path)), writing_since_(writing_since < 0 ? progress_line::seconds_now() : writing_since)
{
    // ".CHGDEN.xsf.XXXXXX" beside the final file, so that rename() replaces it
    // within one file system.
    const std::size_t slash = path_.rfind('/');
    const std::size_t name_at = slash == std::string::npos ? 0 : slash + 1;
    temp_path_ = path_.substr(0, name_at) + "." + path_.substr(name_at) + ".XXXXXX";
    {
        // Created and registered as one step, so that a signal cannot leave it behind.
        const interrupts::Deferred deferred;
        fd_ = ::mkstemp(temp_path_.data());
        if (fd_ >= 0) interrupt_slot_ = interrupts::register_temporary(temp_path_.c_str());
    }
    if (fd_ < 0) fail_writing(path_);
    if (::fchmod(fd_, new_file_mode()) != 0) {
        const int error = errno;
        ::close(fd_);
        ::unlink(temp_path_.c_str());
        interrupts::clear_temporary(interrupt_slot_);
        fd_ = -1;
        errno = error;
        fail_writing(path_);
    }
    make_room(buffer_size);
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_path_.c_str());
    interrupts::clear_temporary(interrupt_slot_);
}

void OutputFile::write(std::string_view bytes)
{
    if (capacity_ - used_ < bytes.size()) flush();
    if (bytes.size() >= capacity_) {
        write_all(bytes.data(), bytes.size());
        return;
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

char* OutputFile::reserve(std::size_t size)
{
    if (capacity_ - used_ < size) {
        flush();
        if (capacity_ < size) make_room(size);
    }
    return buffer_.get() + used_;
}

void OutputFile::advance(char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

void OutputFile::make_room(std::size_t size)
{
    // Not zeroed: a small file touches only the pages it fills.
    buffer_ = std::make_unique_for_overwrite<char[]>(size);
    capacity_ = size;
}

void OutputFile::expect(std::size_t size)
{
    // The file is made as long as those bytes will make it, no longer; where
    // the room is refused in whole or in part, writing allocates the rest.
    const auto offset = static_cast<off_t>(flushed_ + used_);
    ::fallocate(fd_, 0, offset, static_cast<off_t>(size));
    if (progress_line::wanted())
        meter_ = std::make_unique<progress_line::Meter>("writing", path_, static_cast<std::size_t>(offset) + size, 0,
                                                        writing_since_ + quiet_seconds);
}

void OutputFile::close()
{
    flush();
    meter_.reset();
    buffer_.reset();  // the memory of a closed file's buffer goes back
    capacity_ = 0;
    const int fd = std::exchange(fd_, -1);
    // Linux releases the descriptor even when close() is interrupted, so EINTR
    // is no reason to try again or to give up.
    if (::close(fd) != 0 && errno != EINTR) fail_writing(path_);
    // A directory of the final name would refuse the rename only when the
    // run's results are committed, after earlier ones were.
    struct stat status {};
    if (::stat(path_.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        fail_writing(path_);
    }
}

void OutputFile::commit()
{
    if (fd_ >= 0) close();
    if (::rename(temp_path_.c_str(), path_.c_str()) != 0) fail_writing(path_);
    committed_ = true;
}

void OutputFile::flush()
{
    write_all(buffer_.get(), used_);
    used_ = 0;
    if (meter_) meter_->show(flushed_);
}

void OutputFile::write_all(const char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            fail_writing(path_);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
        flushed_ += static_cast<std::size_t>(written);
    }
}

}  // namespace voxmill
