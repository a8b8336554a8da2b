#include "text/free_form_reader.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "system/failure.hpp"

namespace voxmill {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool ends_value(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }

// Whether the eight bytes of `chunk` are all ASCII digits.
inline bool all_digits(std::uint64_t chunk)
{
    return (((chunk + 0x4646464646464646) | (chunk - 0x3030303030303030)) & 0x8080808080808080) == 0;
}

// The value of eight ASCII digits, the first in the lowest byte.
inline std::uint32_t digits_value(std::uint64_t chunk)
{
    chunk -= 0x3030303030303030;
    chunk = chunk * 10 + (chunk >> 8);
    chunk = ((chunk & 0x000000FF000000FF) * (100 + (1000000ULL << 32))
             + ((chunk >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))
            >> 32;
    return static_cast<std::uint32_t>(chunk);
}

// Adds the digits from `p` on to `mantissa`, eight at a time where it can.
const char* take_digits(const char* p, const char* last, std::uint64_t& mantissa)
{
    if constexpr (std::endian::native == std::endian::little) {
        for (; last - p >= 8; p += 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, p, 8);
            if (!all_digits(chunk)) break;
            mantissa = mantissa * 100000000 + digits_value(chunk);
        }
    }
    for (; p != last && is_digit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    return p;
}

// The 11 digits of a value in VASP's form from `token` on as a double, exact,
// with the value's sign ("-.00000000000" gives -0); false unless its first 16
// characters are '0' or '-', ".", 11 digits, "E", '+' or '-' and a digit.
[[gnu::always_inline]] inline bool vasp_mantissa(const char* token, double& mantissa)
{
#if defined(__SSE2__)
    // All 16 columns checked at once, without a branch on the signs, whose
    // values in a block are as likely as not: each column less its base must
    // not exceed its limit, but for the signs, which may also be exactly '-'.
    const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(token));
    const __m128i base = _mm_setr_epi8('0', '.', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', 'E', '+', '0');
    const __m128i limit = _mm_setr_epi8(0, 0, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 0, 0, 9);
    const __m128i minus = _mm_setr_epi8('-', '.', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', 'E', '-', '0');
    const __m128i columns = _mm_sub_epi8(text, base);
    const __m128i minus_columns = _mm_cmpeq_epi8(text, minus);
    const __m128i in_shape =
        _mm_or_si128(_mm_cmpeq_epi8(_mm_subs_epu8(columns, limit), _mm_setzero_si128()), minus_columns);
    if (_mm_movemask_epi8(in_shape) != 0xFFFF) return false;
    // The digits, moved to columns 0 to 10, summed in pairs, fours and eights
    // by multiply-adds in 16- and 32-bit lanes; zero weights drop the exponent.
    const __m128i digits = _mm_srli_si128(columns, 2);
    const __m128i zero = _mm_setzero_si128();
    const __m128i pairs =
        _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(digits, zero), _mm_setr_epi16(10, 1, 10, 1, 10, 1, 10, 1)),
                        _mm_madd_epi16(_mm_unpackhi_epi8(digits, zero), _mm_setr_epi16(100, 10, 1, 0, 0, 0, 0, 0)));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_setr_epi16(100, 1, 100, 1, 1, 1, 0, 0));  // 4, 4 and 3 digits
    const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_setr_epi16(10000, 1, 1, 0, 0, 0, 0, 0));
    // The first 8 digits times 1000 plus the last 3, exact in doubles, then
    // the sign bit set from the lowest bit of column 0 if that is '-'.
    const __m128d parts = _mm_cvtepi32_pd(eights);
    const __m128d magnitude = _mm_add_sd(_mm_mul_sd(parts, _mm_set_sd(1000)), _mm_unpackhi_pd(parts, parts));
    mantissa = _mm_cvtsd_f64(_mm_xor_pd(magnitude, _mm_castsi128_pd(_mm_slli_epi64(minus_columns, 63))));
    return true;
#else
    if constexpr (std::endian::native != std::endian::little) return false;
    std::uint64_t head, tail;
    std::memcpy(&head, token + 2, 8);  // digits 1 to 8
    std::memcpy(&tail, token + 9, 8);  // digits 8 to 11, "E", the sign, two exponent digits
    if ((token[0] != '0' && token[0] != '-') || token[1] != '.' || token[13] != 'E'
        || (token[14] != '+' && token[14] != '-') || !all_digits(head)
        || !all_digits((tail & ~0x0000FFFF00000000) | 0x0000303000000000))
        return false;
    mantissa = static_cast<double>(std::int64_t{digits_value(head)} * 1000 + (token[10] - '0') * 100
                                   + (token[11] - '0') * 10 + (token[12] - '0'));
    if (token[0] == '-') mantissa = -mantissa;
    return true;
#endif
}

// 10^22 is the largest power of ten that is an exact double.
constexpr int largest_exact_power = 22;

// m * 10^scale for an exact double m and |scale| <= 22: a product or quotient of
// two exact doubles, one correctly rounded operation, so the nearest double.
[[gnu::always_inline]] inline double times_power_of_ten(double m, int scale)
{
    // 10^|scale| by scale + 22.
    static constexpr auto powers = [] {
        std::array<double, 2 * largest_exact_power + 1> table{};
        double power = 1;
        for (int k = 0; k <= largest_exact_power; ++k, power *= 10)
            table[largest_exact_power + k] = table[largest_exact_power - k] = power;
        return table;
    }();
    const double power = powers[scale + largest_exact_power];
    return scale < 0 ? m / power : m * power;
}

// The value VASP writes as "0.12345678901E+01" or "-.12345678901E-03", if
// the 17 characters from `token` have exactly that form and the exponent lets
// both the 11 digits and the power of ten be exact doubles: their quotient or
// product, one correctly rounded operation, is then the nearest double.
[[gnu::always_inline]] inline bool vasp_value(const char* token, double& value)
{
    double mantissa;
    const auto last_digit = static_cast<unsigned>(token[16] - '0');
    if (!vasp_mantissa(token, mantissa) || last_digit > 9) return false;
    // The exponent's sign by a multiplication, not a branch: ',' - '+' is 1
    // and ',' - '-' is -1.
    const int exponent = (',' - token[14]) * ((token[15] - '0') * 10 + static_cast<int>(last_digit));
    const int scale = exponent - 11;
    if (scale < -largest_exact_power || scale > largest_exact_power) return false;
    value = times_power_of_ten(mantissa, scale);
    return true;
}

// A real exactly as VASP writes the values of a density block, ending at
// `last` or a separator; see vasp_value.
[[gnu::always_inline]] inline bool convert_vasp_real(const char*& first, const char* last, double& value)
{
    constexpr std::ptrdiff_t length = 17;
    if (last - first < length || (last - first > length && !ends_value(first[length]))) return false;
    if (!vasp_value(first, value)) return false;
    first += length;
    return true;
}

constexpr std::ptrdiff_t vasp_field_length = 18;  // a blank and a value
constexpr std::ptrdiff_t vasp_record_length = 5 * vasp_field_length;

// A record of five blanks and values in VASP's form, as every full record of
// a density block is: converted together, since none needs a check of the
// record's end or of a separator but the blank before the next. False, with
// nothing stored, for any other record of that length.
[[gnu::always_inline]] inline bool convert_vasp_record(const char* record, double* values)
{
    double converted[5];
#pragma GCC unroll 5
    for (int i = 0; i < 5; ++i) {
        const char* const field = record + i * vasp_field_length;
        if (field[0] != ' ' || !vasp_value(field + 1, converted[i])) return false;
    }
    std::copy_n(converted, 5, values);
    return true;
}

// Converts a real of at most 19 digits whose value is an integer times or
// divided by a power of ten up to 1e22, as every value VASP writes is: both
// are exact doubles, so one correctly rounded operation gives the nearest
// double. Takes the token as convert_real does.
bool convert_plain_real(const char*& first, const char* last, double& value)
{
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (p != last && (*p == '-' || *p == '+')) ++p;
    std::uint64_t mantissa = 0;
    const char* const digits = p;
    p = take_digits(p, last, mantissa);
    long scale = 0;
    long digit_count = p - digits;
    if (p != last && *p == '.') {
        const char* const fraction = ++p;
        p = take_digits(p, last, mantissa);
        scale = fraction - p;
        digit_count += p - fraction;
    }
    if (digit_count == 0 || digit_count > 19) return false;
    if (p != last && !ends_value(*p)) {
        const bool letter = *p == 'E' || *p == 'e' || *p == 'D' || *p == 'd';
        if (letter)
            ++p;
        else if (*p != '+' && *p != '-')
            return false;
        const bool exponent_negative = p != last && *p == '-';
        if (p != last && (*p == '-' || *p == '+')) ++p;
        const char* const exponent_digits = p;
        long exponent = 0;
        for (; p != last && is_digit(*p) && p - exponent_digits < 4; ++p) exponent = exponent * 10 + (*p - '0');
        if (p == exponent_digits || (p != last && !ends_value(*p))) return false;
        scale += exponent_negative ? -exponent : exponent;
    }
    if (mantissa > (std::uint64_t{1} << 53) || std::abs(scale) > largest_exact_power) return false;
    const double magnitude = times_power_of_ten(static_cast<double>(mantissa), static_cast<int>(scale));
    value = negative ? -magnitude : magnitude;
    first = p;
    return true;
}

// The quick ways to a real: plain values as VASP writes them, then whatever
// from_chars takes but Infinity and NaN. Takes the token when it ends at
// `last` or at a separator; false, with `first` unmoved, for anything else.
bool convert_real(const char*& first, const char* last, double& value)
{
    if (convert_vasp_real(first, last, value) || convert_plain_real(first, last, value)) return true;
    double converted;
    const auto [after, error] = std::from_chars(first, last, converted);
    if (error != std::errc{} || (after != last && !ends_value(*after)) || !std::isfinite(converted)) return false;
    value = converted;
    first = after;
    return true;
}

// Rewrites a real into the form from_chars takes: no '+' sign, the exponent
// after "e" whether the file wrote E, e, D, d or no letter. False when the
// token is no real at all.
bool normalise_real(std::string_view token, std::string& out)
{
    out.clear();
    std::size_t i = 0;
    const std::size_t n = token.size();
    if (i < n && (token[i] == '+' || token[i] == '-')) {
        if (token[i] == '-') out += '-';
        ++i;
    }
    std::size_t digits = 0;
    for (; i < n && is_digit(token[i]); ++i, ++digits) out += token[i];
    if (i < n && token[i] == '.') {
        out += token[i++];
        for (; i < n && is_digit(token[i]); ++i, ++digits) out += token[i];
    }
    if (digits == 0) return false;
    if (i == n) return true;
    const char marker = token[i];
    if (marker == 'E' || marker == 'e' || marker == 'D' || marker == 'd')
        ++i;
    else if (marker != '+' && marker != '-')
        return false;
    out += 'e';
    if (i < n && (token[i] == '+' || token[i] == '-')) out += token[i++];
    const std::size_t first = i;
    for (; i < n && is_digit(token[i]); ++i) out += token[i];
    return i > first && i == n;
}

// A token as a message shows it: long ones cut, and bytes that are no
// printable ASCII as \xNN, so that binary garbage cannot upset the terminal.
std::string shown(std::string_view token)
{
    constexpr std::size_t longest = 40;
    std::string text;
    for (const char c : token.substr(0, longest)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            text += c;
        } else {
            static constexpr char hex[] = "0123456789abcdef";
            text += {'\\', 'x', hex[byte >> 4], hex[byte & 15]};
        }
    }
    if (token.size() > longest) text += "...";
    return text;
}

// The characters of a text token: a quoted string loses its delimiters and
// keeps one of each doubled delimiter; an unclosed one runs to the record end.
std::string text_of(std::string_view token)
{
    if (token.empty() || (token[0] != '\'' && token[0] != '"')) return std::string(token);
    const char delimiter = token[0];
    std::string text;
    for (std::size_t i = 1; i < token.size(); ++i) {
        if (token[i] == delimiter) {
            if (i + 1 == token.size() || token[i + 1] != delimiter) break;
            ++i;
        }
        text += token[i];
    }
    return text;
}

}  // namespace

std::from_chars_result read_real(const char* first, const char* last, double& value)
{
    const char* const end = std::find_if(first, last, ends_value);
    const char* p = first;
    if (convert_real(p, end, value)) return {p, std::errc{}};

    // The slow way: a value with many digits and a '+' sign, a D exponent or
    // no exponent letter, a value out of range, or no real at all.
    std::string normal;
    if (!normalise_real({first, static_cast<std::size_t>(end - first)}, normal))
        return {first, std::errc::invalid_argument};
    if (std::from_chars(normal.data(), normal.data() + normal.size(), value).ec == std::errc::result_out_of_range) {
        // from_chars does not say which way; strtod gives infinity or a tiny value.
        value = std::strtod(normal.c_str(), nullptr);
        if (std::isinf(value)) return {end, std::errc::result_out_of_range};
    }
    return {end, std::errc{}};
}

bool read_exponent_real(std::string_view field, double& value)
{
    const char* p = field.data();
    const char* const end = p + field.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    if (end - p < 5 || !is_digit(p[0]) || p[1] != '.') return false;
    std::uint64_t mantissa = static_cast<std::uint64_t>(p[0] - '0');
    p += 2;
    const char* const fraction = p;
    for (; p != end && is_digit(*p) && p - fraction < 14; ++p)
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    const long fraction_digits = p - fraction;
    if (fraction_digits == 0 || end - p < 3 || (*p != 'E' && *p != 'e') || (p[1] != '+' && p[1] != '-')) return false;
    const bool exponent_negative = p[1] == '-';
    p += 2;
    const char* const exponent_digits = p;
    long exponent = 0;
    for (; p != end && is_digit(*p) && p - exponent_digits < 3; ++p) exponent = exponent * 10 + (*p - '0');
    if (p != end || p == exponent_digits) return false;
    const long scale = (exponent_negative ? -exponent : exponent) - fraction_digits;
    if (scale < -largest_exact_power || scale > largest_exact_power) return false;
    const double magnitude = times_power_of_ten(static_cast<double>(mantissa), static_cast<int>(scale));
    value = negative ? -magnitude : magnitude;
    return true;
}

FreeFormRead::FreeFormRead(TextSource& source) : source_(source) {}

bool FreeFormRead::take_record()
{
    std::string_view record;
    if (!source_.next_record(record)) return false;
    pos_ = record.data();
    end_ = pos_ + record.size();
    return true;
}

double* FreeFormRead::take_vasp_records(double* out, const double* stop)
{
    // No search for the line end: such a record has it right after its five
    // fields, whose checks let no line end through. A stretch of the text at
    // a time, so that the source can let go of what was read as it goes on.
    constexpr std::size_t stretch_size = std::size_t{1} << 20;
    constexpr std::ptrdiff_t record_size = vasp_record_length + 1;
    long records = 0;
    do {
        const std::string_view stretch = source_.text_ahead(stretch_size);
        const char* p = stretch.data();
        const char* const last = p + stretch.size();
        while (stop - out >= 5 && last - p >= record_size && p[vasp_record_length] == '\n'
               && convert_vasp_record(p, out)) {
            p += record_size;
            out += 5;
        }
        records = (p - stretch.data()) / record_size;
        source_.skip_records(static_cast<std::size_t>(p - stretch.data()), records);
    } while (records > 0);
    return out;
}

FreeFormRead::Next FreeFormRead::next(bool text)
{
    if (repeats_ > 0) {
        --repeats_;
        return repeat_null_ ? Next::null : Next::value;
    }
    for (;;) {
        while (pos_ != end_ && is_blank(*pos_)) ++pos_;
        if (pos_ == end_) {
            if (!take_record()) return Next::end_of_file;
        } else if (*pos_ == ',') {
            ++pos_;
            if (after_comma_) return Next::null;
            after_comma_ = true;
        } else if (*pos_ == '/') {
            // Left in place, the slash ends every later item of the statement too.
            return Next::end_of_statement;
        } else {
            break;
        }
    }
    after_comma_ = false;

    // "r*value" gives r copies of the value, "r*" alone r null values.
    const char* star = std::find_if_not(pos_, end_, is_digit);
    if (star != pos_ && star != end_ && *star == '*') {
        long count = 0;
        const auto [stop, error] = std::from_chars(pos_, star, count);
        if (error != std::errc{} || count == 0)
            fail_token("a repeat count", {pos_, static_cast<std::size_t>(std::find_if(star, end_, ends_value) - pos_)});
        pos_ = star + 1;
        repeats_ = count - 1;
        repeat_null_ = pos_ == end_ || ends_value(*pos_);
        if (repeat_null_) return Next::null;
    }

    const char* stop = nullptr;
    if (text && (*pos_ == '\'' || *pos_ == '"')) {
        const char delimiter = *pos_;
        stop = pos_ + 1;
        for (;;) {
            stop = std::find(stop, end_, delimiter);
            if (stop == end_) break;
            ++stop;
            if (stop == end_ || *stop != delimiter) break;
            ++stop;
        }
    } else {
        stop = std::find_if(pos_, end_, ends_value);
    }
    token_ = {pos_, static_cast<std::size_t>(stop - pos_)};
    pos_ = stop;
    return Next::value;
}

bool FreeFormRead::next_value(std::string_view what)
{
    switch (next(false)) {
    case Next::value: return true;
    case Next::null:
    case Next::end_of_statement: return false;
    case Next::end_of_file: break;
    }
    fail_end_of_file(", expected " + std::string(what));
}

int FreeFormRead::to_integer(std::string_view token, std::string_view what) const
{
    const char* first = token.data();
    const char* const last = first + token.size();
    // from_chars takes a '-' but no '+'.
    if (last - first > 1 && *first == '+' && is_digit(first[1])) ++first;
    int value = 0;
    const auto [stop, error] = std::from_chars(first, last, value);
    if (stop != last || error == std::errc::invalid_argument) fail_token(what, token);
    if (error != std::errc{}) fail_token(what, token, " (out of range)");
    return value;
}

FreeFormRead& FreeFormRead::integer(int& item, std::string_view what)
{
    if (next_value(what)) item = to_integer(token_, what);
    return *this;
}

double FreeFormRead::to_real(std::string_view token, std::string_view what) const
{
    double value = 0;
    const std::from_chars_result result = read_real(token.data(), token.data() + token.size(), value);
    if (result.ec == std::errc::invalid_argument || result.ptr != token.data() + token.size()) fail_token(what, token);
    if (result.ec == std::errc::result_out_of_range) fail_token(what, token, " (out of range)");
    return value;
}

FreeFormRead& FreeFormRead::real(double& item, std::string_view what)
{
    if (next_value(what)) item = to_real(token_, what);
    return *this;
}

FreeFormRead& FreeFormRead::reals(std::span<double> items, std::string_view what, std::size_t total)
{
    double* out = items.data();
    double* const stop = out + items.size();
    while (out != stop) {
        if (repeats_ == 0) {
            // Values and blanks, record after record: the body of every density
            // block. Anything else (a comma, a slash, a repeat, a form that
            // needs rewriting, an error) leaves for the general way below.
            const double* const first_out = out;
            const char* p = pos_;
            const char* end = end_;
            while (out != stop) {
                // Whole records as VASP writes them, then single values so: the
                // common cases, first.
                if (end - p == vasp_record_length && stop - out >= 5 && convert_vasp_record(p, out)) {
                    p = end;
                    out += 5;
                    continue;
                }
                if (end - p > 1 && *p == ' ') {
                    if (const char* q = p + 1; convert_vasp_real(q, end, *out)) {
                        p = q;
                        ++out;
                        continue;
                    }
                }
                while (p != end && is_blank(*p)) ++p;
                if (p != end) {
                    // Through a copy, so that p can stay in a register.
                    const char* after = p;
                    if (!convert_real(after, end, *out)) break;
                    p = after;
                    ++out;
                } else if (out = take_vasp_records(out, stop); out == stop) {
                    break;
                } else if (take_record()) {
                    p = pos_;
                    end = end_;
                } else {
                    break;
                }
            }
            pos_ = p;
            if (out != first_out) after_comma_ = false;
            if (out == stop) break;
        }
        switch (next(false)) {
        case Next::value: {
            // A repeat ("27000*0.0") is converted once.
            const double value = to_real(token_, "a real number");
            *out++ = value;
            for (; repeats_ > 0 && out != stop; --repeats_) *out++ = value;
            break;
        }
        case Next::null: ++out; break;
        case Next::end_of_statement: return *this;
        case Next::end_of_file:
            fail_end_of_file(" while reading " + std::string(what) + " ("
                             + std::to_string(reals_read_ + static_cast<std::size_t>(out - items.data())) + " of "
                             + std::to_string(total == 0 ? reals_read_ + items.size() : total) + " values read)");
        }
    }
    reals_read_ += items.size();
    return *this;
}

bool FreeFormRead::try_text(std::string& item, std::size_t length)
{
    switch (next(true)) {
    case Next::value:
        item = text_of(token_);
        item.resize(length, ' ');
        return true;
    case Next::null:
    case Next::end_of_statement: return true;
    case Next::end_of_file: break;
    }
    return false;
}

void FreeFormRead::fail_token(std::string_view what, std::string_view token, std::string_view note) const
{
    fail_at(source_.path(), source_.line(),
            "expected " + std::string(what) + ", found \"" + shown(token) + "\"" + std::string(note));
}

void FreeFormRead::fail_end_of_file(std::string_view detail) const
{
    // The last line of the file tells where it stops short; an empty file has none.
    fail_at(source_.path(), source_.line(), "unexpected end of file" + std::string(detail));
}

}  // namespace voxmill
