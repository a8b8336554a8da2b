// Fixed-width fields of formatted records, one edit descriptor each, with the
// width (and decimals) fixed at compile time. Every function appends the
// field's characters to `record`.
#pragma once

#include <string>
#include <string_view>

namespace voxmill::fields {

// The most decimals an Fw.d field may have.
inline constexpr int max_decimals = 64;

// What a number too wide for its field gives: w asterisks, as the file
// formats have it, or the number in the fewest columns that hold it, as the
// report shows its figures and an XSF file its count of atoms.
enum class Overflow { asterisks, widen };

// The fields with their widths given at run time; the templates below are the interface.
void text_field(std::string& record, std::string_view text, int w);
void integer_field(std::string& record, long long value, int w, Overflow overflow = Overflow::asterisks);
void fixed_field(std::string& record, double value, int w, int d, Overflow overflow = Overflow::asterisks);

// Aw: `text` right-justified in w columns, or its first w characters when it is longer.
template <int w>
void text(std::string& record, std::string_view text)
{
    static_assert(w > 0);
    text_field(record, text, w);
}

// Iw: `value` right-justified in w columns; w asterisks when it does not fit.
//   I3 of 1000 -> "***", or "1000" when widened
template <int w, Overflow overflow = Overflow::asterisks>
void integer(std::string& record, long long value)
{
    static_assert(w > 0);
    integer_field(record, value, w, overflow);
}

// Fw.d: `value` rounded from its exact binary value to d decimals, right-justified
// in w columns, with a "0" before the point when the field has room for it;
// w asterisks when it does not fit; "Infinity", "Inf" or "NaN" for those values.
// A negative value that rounds to zero keeps its sign: F12.6 of -4e-7 is
// "   -0.000000".
//   F8.3 of 0.1234 -> "   0.123",  F4.3 of 0.5 -> ".500"
//   F8.3 of 15625 -> "********", or "15625.000" when widened
template <int w, int d, Overflow overflow = Overflow::asterisks>
void fixed(std::string& record, double value)
{
    static_assert(w > 0 && d >= 0 && d < w && d <= max_decimals);
    fixed_field(record, value, w, d, overflow);
}

}  // namespace voxmill::fields
