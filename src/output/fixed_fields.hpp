// Fixed-width fields of formatted records, one edit descriptor each. Every
// function appends the field's characters to `record`.
#pragma once

#include <string>
#include <string_view>

namespace voxmill::fields {

// nX: n blanks.
void blanks(std::string& record, int n);

// Aw: `text` right-justified in w columns, or its first w characters when it is longer.
void text(std::string& record, std::string_view text, int w);

// Iw: `value` right-justified in w columns; w asterisks when it does not fit.
void integer(std::string& record, long long value, int w);

// I0: `value` in the fewest columns.
void integer(std::string& record, long long value);

// Fw.d: `value` rounded from its exact binary value to d decimals, right-justified
// in w columns, with a "0" before the point when the field has room for it;
// w asterisks when it does not fit; "Infinity", "Inf" or "NaN" for those values.
void fixed(std::string& record, double value, int w, int d);

}  // namespace voxmill::fields
