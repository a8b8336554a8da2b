// Fixed-width fields of formatted records, one edit descriptor each. Every
// function appends the field's characters to `record`.
#pragma once

#include <string>
#include <string_view>

namespace voxmill::fields {

// The most decimals an Fw.d field may have.
inline constexpr int max_decimals = 64;

// nX: n blanks.
void blanks(std::string& record, int n);

// Aw: `text` right-justified in w columns, or its first w characters when it is longer.
void text(std::string& record, std::string_view text, int w);

// Iw: `value` right-justified in w columns; w asterisks when it does not fit;
// with w = 0, as I0.
void integer(std::string& record, long long value, int w);

// I0: `value` in the fewest columns.
void integer(std::string& record, long long value);

// Fw.d: `value` rounded from its exact binary value to d decimals, right-justified
// in w columns, with a "0" before the point when the field has room for it;
// w asterisks when it does not fit; "Infinity", "Inf" or "NaN" for those values.
// A negative value that rounds to zero keeps its sign: F12.6 of -4e-7 is
// "   -0.000000". Throws std::invalid_argument when d exceeds max_decimals.
//   F8.3 of 0.1234 -> "   0.123",  F4.3 of 0.5 -> ".500"
void fixed(std::string& record, double value, int w, int d);

}  // namespace voxmill::fields
