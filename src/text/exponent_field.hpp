// The E13.5 field of Gaussian's cube files: a blank, the sign or a blank, "0.",
// five significant digits rounded from the exact binary value (ties to even),
// and a two-digit exponent after "E" (three digits, in place of the "E",
// beyond 99); right-justified "Infinity", "-Infinity" or "NaN".
//   0.0123  -> "  0.12300E-01"
//   -1e-101 -> " -0.10000-100"
//   0.0     -> "  0.00000E+00"
#pragma once

#include <cstddef>

namespace voxmill {

inline constexpr int exponent_field_width = 13;

// Writes the field of `value` to out[0, 13) and returns out + 13.
char* put_exponent_field(char* out, double value) noexcept;

// The same field by the plain exact path (std::to_chars at five significant
// digits); the reference that put_exponent_field is checked against.
char* put_exponent_field_exact(char* out, double value) noexcept;

// The records of a run of `count` values as one (6E13.5) statement writes
// them: six fields to a record, the last record holding the rest. Returns the
// end of what was written, which takes exponent_records_size(count) bytes. A
// count of 0 writes nothing.
char* put_exponent_records(char* out, const double* values, std::size_t count) noexcept;

std::size_t exponent_records_size(std::size_t count) noexcept;

}  // namespace voxmill
