// A text file read record by record, with the number of the line each record
// came from. A record ending in CR LF reads like one ending in LF; the last
// record needs no line end, and may end in a CR alone. The file is read
// through a memory map, so that its text is neither copied nor held twice;
// the pages already read leave the process's resident memory as it goes on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace voxmill {

class TextSource {
public:
    // Opens `path` for reading; throws Failure naming the file and the
    // system's reason when it cannot be opened or is not a regular file.
    // A file cut short while it is read ends the process (see interrupts.hpp).
    explicit TextSource(std::string path);
    // Reads `text` as the file named `name` would be read: how tests and
    // fuzzers feed the readers strings.
    TextSource(std::string name, std::string text);
    ~TextSource();
    TextSource(const TextSource&) = delete;
    TextSource& operator=(const TextSource&) = delete;

    const std::string& path() const { return path_; }
    std::size_t size() const { return size_; }
    std::size_t bytes_left() const { return size_ - begin_; }

    // The next record without its line end, valid until the next call; false
    // at the end of the file. A record longer than max_record_length is a
    // Failure, and stays unread: reading on fails on it again.
    bool next_record(std::string_view& record);

    // Puts the record last returned back, to be returned again by the next
    // call; once.
    void step_back();

    // The line number of the record last returned (0 before the first).
    long line() const { return line_; }

    // A place in the text, to come back to.
    struct Mark {
        std::size_t begin = 0;
        long line = 0;
    };
    Mark mark() const { return {begin_, line_}; }
    void return_to(const Mark& mark);

    // Starts again at line 1.
    void rewind() { return_to({}); }

    // The unread text, at most `most` bytes of it, for a reader that takes
    // whole records of a form it knows straight from the file; it then
    // reports them with skip_records(). Valid until the next call of any kind.
    std::string_view text_ahead(std::size_t most) const;

    // Moves past `records` whole records, `bytes` bytes with their line ends,
    // as that many calls of next_record() would.
    void skip_records(std::size_t bytes, long records);

    static constexpr std::size_t max_record_length = std::size_t{16} << 20;

private:
    // Lets the pages before `offset` leave the process's resident memory; they
    // stay in the page cache, and reading them again maps them back.
    void release_before(std::size_t offset);
    std::string path_;
    std::string given_text_;      // the text of a source made from a string
    bool mapped_ = false;
    const char* text_ = nullptr;  // the whole file, mapped read-only, or given_text_
    std::size_t size_ = 0;
    std::size_t begin_ = 0;     // first unread byte
    std::size_t last_begin_ = 0;  // where the record last returned starts
    std::size_t released_ = 0;  // the pages before it are released
    int guard_slot_ = -1;
    long line_ = 0;
};

}  // namespace voxmill
