// The 24-column real field of free-form output: 15 significant digits in fixed
// form for magnitudes from 0.1 to below 1e15, otherwise one digit, point, 15
// digits and a 3-digit exponent; "Infinity", "-Infinity" or "NaN" right-justified.
//   1.0    -> "   1.00000000000000     "
//   0.0123 -> "  1.230000000000000E-002"
#pragma once

namespace voxmill {

inline constexpr int real_field_width = 24;

// Writes the field of `value` to out[0, 24) and returns out + 24.
char* put_real_field(char* out, double value) noexcept;

// The fields of three values side by side to out[0, 72); returns out + 72.
char* put_three_real_fields(char* out, double first, double second, double third) noexcept;

// The same field by the plain exact path (decimal conversion at 15 and 16
// significant digits); the reference that put_real_field is checked against.
char* put_real_field_exact(char* out, double value) noexcept;

}  // namespace voxmill
