// Format lists such as "(1X,A17,1X,F8.3,1X,A11)": the layout of a formatted
// record given as text, applied to a list of items.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace voxmill {

using FormatItem = std::variant<long long, double, std::string_view>;

class FormatList {
public:
    // Parses a list of nX, Aw, A, Iw, I0 and Fw.d descriptors, each optionally
    // preceded by a repeat count, e.g. "(3F12.6)"; throws std::invalid_argument
    // when `list` is not such a list.
    explicit FormatList(std::string_view list);

    // The records that a write of `items` produces, each ended by a line feed.
    // When the items outlast the list, the record ends and the list starts again
    // (reversion); output stops at the first data descriptor that has no item.
    // An item whose type does not suit its descriptor (A: text, I: integer,
    // F: real) throws std::invalid_argument.
    std::string write(std::span<const FormatItem> items) const;

    // A formatted write into a text variable of `length` characters: the
    // record, blank-filled or cut to `length` (e.g. "(3I5)" for a grid line).
    // Throws std::invalid_argument when the items would need a second record.
    std::string write_text(std::span<const FormatItem> items, std::size_t length) const;

private:
    // Appends the records to `out`; with `one_record`, reversion is an error
    // and no line feed is written.
    void write_records(std::string& out, std::span<const FormatItem> items, bool one_record) const;

    struct Descriptor {
        char kind;  // 'X', 'A', 'I' or 'F'
        int width;  // -1 where the descriptor has none (A, I0 is width 0)
        int decimals;
    };
    std::vector<Descriptor> descriptors_;
};

// Shorthand for FormatList(list).write(items).
std::string format_record(std::string_view list, std::initializer_list<FormatItem> items);

}  // namespace voxmill
