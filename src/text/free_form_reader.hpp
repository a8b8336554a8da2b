// Free-form input: values separated by blanks, tabs, a comma or the end of a
// record, spread over as many records as the items need; the rest of the last
// record used is skipped. Supports "r*value" repeats, null values (which leave
// an item unchanged) and the slash that ends a statement early.
//
// Errors name the file and the line: "CHGCAR:12: expected a real number, found "0.5x"".
#pragma once

#include <charconv>
#include <span>
#include <string>
#include <string_view>

#include "text/text_source.hpp"

namespace voxmill {

// The real at `first`, in any form a free-form record may hold it (see
// FreeFormRead::real), up to `last` or a separator (blank, tab, comma, slash);
// shaped like std::from_chars. ec is invalid_argument when the token is no
// real, result_out_of_range when it lies beyond the range of a double; ptr is
// past the token.
std::from_chars_result read_real(const char* first, const char* last, double& value);

// The whole of `field` as a real if it has the form printf's "%.NE" and "%.Ne"
// give it, with N from 1 to 14 ("-1.23456E-01") and a scale within the exact
// powers of ten: the same double as read_real, without its search for the
// token's end and its other forms. False for anything else, left to read_real.
bool read_exponent_real(std::string_view field, double& value);

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
    // A real takes an exponent after E, e, D or d, or a signed one with no
    // letter at all, as VASP writes three-digit exponents ("-.30233300000-128").
    // Infinity, NaN and values beyond the range of a double are refused; values
    // too small for it become subnormal or zero.
    FreeFormRead& real(double& item, std::string_view what = "a real number");
    // Reals in storage order, as many as `items` holds; the hot path of a block.
    // `what` names the values for a message at the end of the file, which also
    // says how many were read ("density block 2 (1200 of 27000 values read)").
    // A run read piece by piece, in several calls, passes its `total` size.
    // Whole records of five values exactly as VASP writes them (" 0.12345678901E+01"
    // or " -.12345678901E-03" each) are taken straight from the source's text.
    FreeFormRead& reals(std::span<double> items, std::string_view what, std::size_t total = 0);

    // A text item, bare or quoted, cut or blank-filled to `length` characters;
    // false at the end of the file.
    bool try_text(std::string& item, std::size_t length);

private:
    // What the next item receives.
    enum class Next { value, null, end_of_statement, end_of_file };

    // Finds the next item's value and leaves it in token_.
    Next next(bool text);
    bool take_record();
    // Takes whole records of five values in VASP's form straight from the
    // source while they last and there is room for them before `stop`.
    double* take_vasp_records(double* out, const double* stop);
    // Whether the next item gets a value (in token_), not a null value or the
    // end of the statement; the end of the file is a Failure naming `what`.
    bool next_value(std::string_view what);
    int to_integer(std::string_view token, std::string_view what) const;
    double to_real(std::string_view token, std::string_view what) const;
    [[noreturn]] void fail_token(std::string_view what, std::string_view token, std::string_view note = {}) const;
    [[noreturn]] void fail_end_of_file(std::string_view detail) const;

    TextSource& source_;
    const char* pos_ = nullptr;  // next unread character of the current record
    const char* end_ = nullptr;  // end of the current record
    std::string_view token_;     // the value being read, also that of a pending repeat
    long repeats_ = 0;           // further items that get token_, or a null value
    bool repeat_null_ = false;
    bool after_comma_ = true;     // a comma now is a null value; so it is at the start
    std::size_t reals_read_ = 0;  // by earlier reals() calls of this statement
};

}  // namespace voxmill
