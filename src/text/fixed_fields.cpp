#include "text/fixed_fields.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace voxmill::fields {

namespace {

// The characters of a field that did not fit: w asterisks.
void asterisks(std::string& record, int w) { record.append(static_cast<std::size_t>(std::max(w, 0)), '*'); }

void right_justified(std::string& record, std::string_view text, int w)
{
    record.append(static_cast<std::size_t>(w) - text.size(), ' ');
    record += text;
}

// A number that does not fit its w columns: asterisks, or all its characters.
void too_wide(std::string& record, std::string_view number, int w, Overflow overflow)
{
    if (overflow == Overflow::widen)
        record += number;
    else
        asterisks(record, w);
}

// Fw.d of an infinity or a NaN: the whole word when it fits, else its first
// three letters, else asterisks.
void non_finite(std::string& record, double value, int w)
{
    if (std::isnan(value)) {
        if (w >= 3)
            right_justified(record, "NaN", w);
        else
            asterisks(record, w);
        return;
    }
    const bool negative = value < 0;
    const int sign = negative ? 1 : 0;
    if (w >= 8 + sign)
        right_justified(record, negative ? "-Infinity" : "Infinity", w);
    else if (w >= 3 + sign)
        right_justified(record, negative ? "-Inf" : "Inf", w);
    else
        asterisks(record, w);
}

}  // namespace

void text_field(std::string& record, std::string_view text, int w)
{
    if (text.size() >= static_cast<std::size_t>(w))
        record += text.substr(0, static_cast<std::size_t>(w));
    else
        right_justified(record, text, w);
}

void integer_field(std::string& record, long long value, int w, Overflow overflow)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const std::string_view field(digits, static_cast<std::size_t>(end - digits));
    if (field.size() > static_cast<std::size_t>(w))
        too_wide(record, field, w, overflow);
    else
        right_justified(record, field, w);
}

void fixed_field(std::string& record, double value, int w, int d, Overflow overflow)
{
    if (!std::isfinite(value)) return non_finite(record, value, w);

    // Exact rounding of the binary value; a negative value keeps its "-" even
    // when it rounds to zero ("-0.000000").
    char chars[1 + 309 + 1 + max_decimals + 1];
    char* end = std::to_chars(chars, chars + sizeof chars, value, std::chars_format::fixed, d).ptr;
    if (d == 0) *end++ = '.';  // F5.0 of 7 is "   7.", the point is always written
    std::string_view field(chars, static_cast<std::size_t>(end - chars));

    const std::size_t sign = chars[0] == '-' ? 1 : 0;
    const bool below_one = field.substr(sign, 2) == "0.";
    if (field.size() == static_cast<std::size_t>(w) + 1 && below_one && d > 0) {
        // One column short: the zero before the point is the one left out.
        record.append(chars, sign);
        record += field.substr(sign + 1);
    } else if (field.size() > static_cast<std::size_t>(w)) {
        too_wide(record, field, w, overflow);
    } else {
        right_justified(record, field, w);
    }
}

}  // namespace voxmill::fields
