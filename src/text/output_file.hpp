// A result file written through one large buffer. The records go to a temporary
// file in the same directory, which replaces the file of the final name only
// when everything was written and closed without error; so a failed run never
// leaves a half-written result under that name.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace voxmill {

namespace progress_line {
class Meter;
}

class OutputFile {
public:
    // Creates the temporary file for `path`; throws Failure when it cannot.
    // Where standard error is a terminal, the bytes announced by expect()
    // show their progress there once a second has passed since the time
    // `writing_since` (of progress_line::seconds_now(); by default, now): the
    // start of writing a run's results, some of which may be written already.
    explicit OutputFile(std::string path, double writing_since = -1);
    // Removes the temporary file unless commit() succeeded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& path() const { return path_; }

    void write(std::string_view bytes);

    // Room for at least `size` bytes; advance(end) then marks what was written.
    // The room stays valid until the next call of any other member.
    char* reserve(std::size_t size);
    void advance(char* end);

    // Says that `size` more bytes will follow all those given so far, so that
    // the file system can set aside their room in one piece instead of block
    // by block as they come. Only a hint: where it cannot, nothing changes.
    void expect(std::size_t size);

    // Writes what is buffered and closes the file; throws Failure, naming the
    // file and the system's reason, on error. Nothing more can be written.
    void close();

    // Closes the file if it is still open, then renames it to its final name,
    // replacing any file there; throws Failure as close() does. The results of
    // one run are all closed before the first is committed, so that a failure
    // leaves every earlier result of those names as it was.
    void commit();

private:
    void flush();
    // A new, empty buffer of `size` bytes.
    void make_room(std::size_t size);
    // Writes all of `bytes`, calling write() again after an interruption or a short write.
    void write_all(const char* bytes, std::size_t size);
    std::string path_;
    std::string temp_path_;
    int fd_ = -1;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
    std::size_t flushed_ = 0;  // bytes written to the file
    bool committed_ = false;
    int interrupt_slot_ = -1;  // where a signal finds the temporary file to remove
    double writing_since_;
    std::unique_ptr<progress_line::Meter> meter_;
};

}  // namespace voxmill
