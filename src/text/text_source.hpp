// A text file read record by record, with the number of the line each record
// came from. A record ending in CR LF reads like one ending in LF; the last
// record needs no line end, and may end in a CR alone.
//
// A file is read through a window of 1 MiB, which stays in the processor's
// cache while its records are parsed. A regular file of plain text can return
// to any place in it; any other input is a stream, read once front to back:
// a compressed file (see decoders.hpp), which expands as it is read, and a
// pipe, a FIFO or a device. See can_look_ahead().
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace voxmill {

class FileBytes;
class Decoder;
namespace progress_line {
class Meter;
}

class TextSource {
public:
    // Opens `path` for reading, waiting for a writer if it is a FIFO; throws
    // Failure naming the file and the system's reason when it cannot be
    // opened or is a directory. Where standard error is a terminal, a
    // compressed file or a long read shows its progress there.
    explicit TextSource(std::string path);
    // Reads `text` as the file named `name` would be read: how tests and
    // fuzzers feed the readers strings.
    TextSource(std::string name, std::string text);
    ~TextSource();
    TextSource(const TextSource&) = delete;
    TextSource& operator=(const TextSource&) = delete;

    const std::string& path() const { return path_; }

    // Whether the source can return to a mark, also one ahead of what it has
    // read, as a regular file of plain text or a string can: a stream cannot.
    bool can_look_ahead() const { return file_ == nullptr || seekable_; }

    // The next record without its line end, valid until the next call; false
    // at the end of the file. A record longer than max_record_length is a
    // Failure, and stays unread: reading on fails on it again.
    bool next_record(std::string_view& record);

    // Puts the record last returned back, to be returned again by the next
    // call; once, and not after skip_records().
    void step_back();

    // The line number of the record last returned (0 before the first).
    long line() const { return line_; }

    // A place in the text: `offset` bytes from its start, after record `line`.
    struct Mark {
        std::size_t offset = 0;
        long line = 0;
    };
    Mark mark() const { return {window_offset_ + begin_, line_}; }
    // Goes on reading from `mark`, which may lie anywhere in the text, or at
    // its end when beyond; only where can_look_ahead().
    void return_to(const Mark& mark);

    // The unread text, at most `most` bytes of it, for a reader that takes
    // whole records of a form it knows straight from the file; it then
    // reports them with skip_records(). Valid until the next call of any kind.
    // A file gives what its window holds: about 1 MiB at most, and less than
    // `most` or 256 KiB only at the end of the text.
    std::string_view text_ahead(std::size_t most);

    // Moves past `records` whole records, `bytes` bytes with their line ends,
    // as that many calls of next_record() would.
    void skip_records(std::size_t bytes, long records);

    static constexpr std::size_t max_record_length = std::size_t{16} << 20;

private:
    // Reads on into the window of a file until `wanted` bytes are unread or
    // the text ends, keeping the record last returned.
    void fill(std::size_t wanted);
    // Moves what the window keeps to its start, growing it where `wanted`
    // bytes ahead and a read of a full step would not fit.
    void make_room(std::size_t wanted);

    std::string path_;
    std::string given_text_;         // the text of a source made from a string
    const char* text_ = nullptr;     // given_text_, or a file's window
    std::size_t size_ = 0;           // of text_
    std::size_t window_offset_ = 0;  // of text_ in the whole text
    std::size_t begin_ = 0;          // first unread byte
    std::size_t last_begin_ = 0;     // where the record last returned starts
    long line_ = 0;
    // A file: its bytes, its decoder if it is compressed, its window; ended_ once the decoder
    // gives no more text or has failed, and from the start for a string.
    std::unique_ptr<FileBytes> file_;
    std::unique_ptr<Decoder> decoder_;
    bool seekable_ = false;
    std::unique_ptr<char[]> window_;
    std::size_t capacity_ = 0;
    bool ended_ = true;
    std::unique_ptr<progress_line::Meter> meter_;
};

}  // namespace voxmill
