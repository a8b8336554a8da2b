// The 24-column real field of free-form output: 15 significant digits in fixed
// form for magnitudes from 0.1 to below 1e15, otherwise one digit, point, 15
// digits and a 3-digit exponent; "Infinity", "-Infinity" or "NaN" right-justified.
//   1.0    -> "   1.00000000000000     "
//   0.0123 -> "  1.230000000000000E-002"
#pragma once

#include <cstddef>

namespace voxmill {

inline constexpr int real_field_width = 24;

// Writes the field of `value` to out[0, 24) and returns out + 24.
char* put_real_field(char* out, double value) noexcept;

// Records of three fields and a newline, `records` of them, for
// values[0, 3 * records); returns the end of the last.
char* put_real_field_records(char* out, const double* values, std::size_t records) noexcept;

// The same field by the plain exact path (decimal conversion at 15 and 16
// significant digits); the reference that put_real_field is checked against.
char* put_real_field_exact(char* out, double value) noexcept;

}  // namespace voxmill
