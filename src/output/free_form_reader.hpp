// Free-form input: values separated by blanks, tabs, a comma or the end of a
// record, spread over as many records as the items need; the rest of the last
// record used is skipped. Supports "r*value" repeats, null values (which leave
// an item unchanged) and the slash that ends a statement early.
//
// Errors name the file and the line: "CHGCAR:12: expected a real number, found "0.5x"".
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "output/text_source.hpp"

namespace voxmill {

// One free-form read statement on a source. It takes its first record from the
// source when its first item is read; the next statement on the same source
// starts at the record after the last one this statement used.
class FreeFormRead {
public:
    explicit FreeFormRead(TextSource& source);
    FreeFormRead(const FreeFormRead&) = delete;
    FreeFormRead& operator=(const FreeFormRead&) = delete;

    // Each reads the next item; the end of the file is a Failure, as is text
    // that is not a value of the item's type. `what` names the item in the
    // message ("expected the number of atoms of species 2, found ...").
    FreeFormRead& integer(int& item, std::string_view what = "an integer");
    FreeFormRead& real(double& item, std::string_view what = "a real number");
    // A text item, bare or quoted, cut or blank-filled to `length` characters.
    FreeFormRead& text(std::string& item, std::size_t length);
    // Reals in storage order, as many as `items` holds; the hot path of a block.
    // `what` names the values for a message at the end of the file, which also
    // says how many were read ("density block 2").
    FreeFormRead& reals(std::span<double> items, std::string_view what);

    // Like text(), but returns false instead of failing at the end of the file.
    bool try_text(std::string& item, std::size_t length);

private:
    // opaque state of the statement: current record, position, pending repeat,
    // whether a slash ended it
    struct State;
};

}  // namespace voxmill
