// The bytes of an open file, read front to back in large pieces, for a reader
// that takes them a stretch at a time: a decompressor, or the text itself
// where the file holds plain text. Any kind of file: a pipe reads as well as
// a regular file.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace voxmill {

class FileBytes {
public:
    // Takes over `fd`, which it closes; `path` names the file in messages.
    FileBytes(int fd, std::string path);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    const std::string& path() const { return path_; }

    // The bytes read and not yet taken, at least `least` of them (at most a
    // few) unless the file ends first: empty only at its end. Valid until the
    // next call.
    std::span<const unsigned char> ahead(std::size_t least = 1);
    void take(std::size_t count) { begin_ += count; }

    // Moves up to `most` bytes to `out`, those read ahead first, the rest
    // straight from the file; 0 only at its end.
    std::size_t read_into(char* out, std::size_t most);

    // Reads on from `offset` bytes into a regular file.
    void seek(std::size_t offset);

    // Where the next read from the file starts: the bytes before it, whether
    // taken or still ahead.
    std::size_t position() const { return position_; }

private:
    // One read of the system, retried when a signal interrupts it; a Failure
    // naming the file and the system's reason when it fails.
    std::size_t read_some(void* out, std::size_t most);

    int fd_;
    std::string path_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t begin_ = 0, end_ = 0;  // the bytes ahead in buffer_
    std::size_t position_ = 0;
};

}  // namespace voxmill
