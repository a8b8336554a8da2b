// Free-form output: items laid out one after another in records of at most 80
// columns; reals take 24 columns, texts their length with one blank before a
// text that starts a record; a statement with no items writes a record
// holding one blank.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace voxmill {

inline constexpr std::size_t free_form_record_width = 80;

// One free-form output statement of texts, appended to `out`: a blank, then
// the texts one after another; a text that no longer fits the record starts
// the next one, after its blank.
void put_free_form_texts(std::string& out, std::span<const std::string_view> texts);

// A statement of one text: " text\n". With an empty text, the one-blank record.
std::string free_form_line(std::string_view text = {});

// The records of a free-form statement of `count` reals, values[i] / divisor
// each: three 24-column fields to a record, the last record holding the rest.
// Writes them to `out`, which must have room for real_records_size(count)
// bytes, and returns the end of what was written. A long statement can be
// written in pieces whose counts, but for the last, are multiples of 3.
// A count of 0 writes nothing; a statement with no items at all is
// FreeFormStatement's one-blank record.
char* put_real_records(char* out, const double* values, std::size_t count, double divisor = 1.0) noexcept;

// The number of bytes put_real_records writes for `count` values.
std::size_t real_records_size(std::size_t count) noexcept;

}  // namespace voxmill
