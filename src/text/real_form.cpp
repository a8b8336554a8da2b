#include "text/real_form.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The field holds the value rounded to 15 significant digits in fixed form and
// to 16 in exponent form, both from the exact binary value. The fast path
// finds the decimal exponent and the form first, then gets just those digits
// as the whole part of an exact integer product of the mantissa and 10^k
// times a power of two, rounded by the bits after it. Zeros are written as they are; values far from 1 and those that
// are no numbers go the plain way through std::to_chars.

namespace voxmill {

namespace {

__extension__ typedef unsigned __int128 uint128;

constexpr char blank_field[real_field_width + 1] = "                        ";

constexpr char digit_pairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

// Writes the exponent part "E+xxx" / "E-xxx" to out[0, 5).
void put_exponent(char* out, int exponent) noexcept
{
    const int magnitude = exponent < 0 ? -exponent : exponent;
    out[0] = 'E';
    out[1] = exponent < 0 ? '-' : '+';
    out[2] = static_cast<char>('0' + magnitude / 100);
    std::memcpy(out + 3, digit_pairs + 2 * (magnitude % 100), 2);
}

// Places `text` right-justified in a blank field and returns the field's end.
char* put_right_justified(char* out, const char* text, std::size_t length) noexcept
{
    std::memcpy(out, blank_field, real_field_width);
    std::memcpy(out + real_field_width - length, text, length);
    return out + real_field_width;
}

// The value rounded for its field: fixed form holds 15 significant digits,
// exponent form 16, as the integer `digits` (below 10^15 or 10^16) of a
// value whose leading digit has weight 10^exponent.
struct Rounded {
    std::uint64_t digits;
    int exponent;
    bool fixed;
    bool negative;
};

// The fast path takes the binary exponents from -125 to 49, values from about
// 2.4e-38 to 1.1e15; below -125 its integer scales (further down) would need
// fractions. Its estimate of the decimal exponent,
// floor(binary exponent * log10(2)), is the exponent of the rounded value or
// one below it.
constexpr int lowest_binary_exponent = -125;
constexpr int highest_binary_exponent = 49;
constexpr int binary_exponents = highest_binary_exponent - lowest_binary_exponent + 1;

constexpr int decimal_estimate(int binary_exponent) { return (binary_exponent * 78913) >> 18; }

constexpr int lowest_estimate = decimal_estimate(lowest_binary_exponent);
constexpr int highest_estimate = decimal_estimate(highest_binary_exponent);
static_assert(lowest_estimate == -38 && highest_estimate == 14);

#if defined(__SSE2__)
// q < 10^16 as 16 ASCII digits, the first in the lowest byte: each number is
// split in two in lanes of half its width, high part in the lower lane, from
// two halves of eight digits down to sixteen digits in bytes. Divisions are
// multiplications by reciprocals; the products by 100 and 10 are multiplies
// the compiler keeps as one instruction (it would spread a plain product by
// a constant over shifts and adds).
[[gnu::always_inline]] inline __m128i digits_16(std::uint64_t q) noexcept
{
    const std::uint64_t high = q / 100'000'000;
    const std::uint64_t low = q - high * 100'000'000;
    const __m128i eights = _mm_set_epi64x(static_cast<long long>(low), static_cast<long long>(high));
    // x / 10^4 = (x * 0xd1b71759) >> 45 for x < 10^8
    const __m128i high_fours = _mm_srli_epi64(_mm_mul_epu32(eights, _mm_set1_epi32(static_cast<int>(0xd1b71759))), 45);
    const __m128i low_fours = _mm_sub_epi32(eights, _mm_mul_epu32(high_fours, _mm_set1_epi32(10000)));
    const __m128i fours = _mm_or_si128(high_fours, _mm_slli_epi64(low_fours, 32));
    // x / 100 = (x * 5243) >> 19 for x < 10^4; the high 16 bits of each lane are 0
    const __m128i high_twos = _mm_srli_epi16(_mm_mulhi_epu16(fours, _mm_set1_epi16(5243)), 3);
    const __m128i low_twos = _mm_sub_epi32(fours, _mm_madd_epi16(high_twos, _mm_set1_epi32(100)));
    const __m128i twos = _mm_or_si128(high_twos, _mm_slli_epi32(low_twos, 16));
    // x * 6554 = (x / 10) * 2^16 + f for x < 100, and x % 10 = (f * 10) >> 16
    const __m128i tenth = _mm_set1_epi16(6554);
    const __m128i tens = _mm_mulhi_epu16(twos, tenth);
    const __m128i ones = _mm_mulhi_epu16(_mm_mullo_epi16(twos, tenth), _mm_set1_epi16(10));
    return _mm_add_epi8(_mm_or_si128(tens, _mm_slli_epi16(ones, 8)), _mm_set1_epi8('0'));
}

// Where the parts of a field go, for one exponent, form and sign. A field is
// written with three stores: the head out[0, 4), the tail out[16, 24), then
// the body, digits and point, over out[3, 19). Both forms are 16 digits with
// a point in them: fixed form has a leading 0 before its 15 digits, and its s
// whole digits move one column left over that 0, the point after them;
// exponent form (and fixed form below 1) keeps its first digit in column 2
// and has the point in column 3.
struct alignas(64) FieldLayout {
    unsigned char moved[16];         // body columns taking the digit after their own
    unsigned char kept[16];          // body columns keeping their own digit
    char point[16];                  // the point in its body column, zeros elsewhere
    std::uint64_t tail;              // "E+xxx", "E-xxx" or blanks in its top five bytes
    std::uint32_t head;              // blanks and the sign
    std::uint32_t first_digit_byte;  // 0xff in the byte of column 2 if the first digit goes there
};

// Layouts by exponent, for every exponent the fast path gives (fixed form
// from -1 to 14), with 64 added for fixed form and 128 for a negative value.
constexpr int layout_exponent_offset = -lowest_estimate;
static_assert(highest_estimate + 1 + layout_exponent_offset < 64, "exponent-form layouts below the fixed-form ones");

constexpr auto field_layouts = [] {
    struct {
        FieldLayout layout[256];
    } table{};
    for (int negative = 0; negative < 2; ++negative)
        for (int fixed = 0; fixed < 2; ++fixed)
            for (int e = fixed ? -1 : lowest_estimate; e <= (fixed ? 14 : highest_estimate + 1); ++e) {
                FieldLayout& l = table.layout[e + layout_exponent_offset + 64 * fixed + 128 * negative];
                const int whole = fixed && e >= 0 ? e + 1 : 0;  // digits before the point, from column 3
                for (int j = 0; j < 16; ++j) {
                    l.moved[j] = j < whole ? 0xff : 0;
                    l.kept[j] = j > whole ? 0xff : 0;
                }
                l.point[whole] = '.';
                char tail[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
                if (!fixed) {
                    const int magnitude = e < 0 ? -e : e;
                    const char exponent[5] = {'E', e < 0 ? '-' : '+', '0', static_cast<char>('0' + magnitude / 10),
                                              static_cast<char>('0' + magnitude % 10)};
                    for (int j = 0; j < 5; ++j) tail[3 + j] = exponent[j];
                }
                for (int j = 7; j >= 0; --j) l.tail = l.tail << 8 | static_cast<unsigned char>(tail[j]);
                const std::uint32_t sign = negative ? '-' : ' ';
                l.head = whole > 0 ? 0x2020 | sign << 16 : 0x20 | sign << 8;
                l.first_digit_byte = whole > 0 ? 0 : 0xff0000;
            }
    return table;
}();

[[gnu::always_inline]] inline __m128i load(const void* bytes) noexcept
{
    return _mm_load_si128(static_cast<const __m128i*>(bytes));
}

// Writes the field of r: digits, point and the parts of its layout.
[[gnu::always_inline]] inline char* put_field(char* out, Rounded r) noexcept
{
    const __m128i digits = digits_16(r.digits);
    const FieldLayout& layout =
        field_layouts.layout[r.exponent + layout_exponent_offset + 64 * r.fixed + 128 * r.negative];
    const __m128i body = _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_srli_si128(digits, 1), load(layout.moved)),
                                                   _mm_and_si128(digits, load(layout.kept))),
                                      load(layout.point));
    const auto first_digit = static_cast<std::uint32_t>(_mm_cvtsi128_si32(digits)) << 16;
    const std::uint32_t head = layout.head | (first_digit & layout.first_digit_byte);
    std::memcpy(out, &head, 4);
    std::memcpy(out + 16, &layout.tail, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3), body);
    return out + real_field_width;
}
#else
// Writes q < 10^8 as 8 digits.
inline void put_8_digits(char* out, std::uint32_t q) noexcept
{
    const std::uint32_t high = q / 10000;
    const std::uint32_t low = q % 10000;
    std::memcpy(out, digit_pairs + 2 * (high / 100), 2);
    std::memcpy(out + 2, digit_pairs + 2 * (high % 100), 2);
    std::memcpy(out + 4, digit_pairs + 2 * (low / 100), 2);
    std::memcpy(out + 6, digit_pairs + 2 * (low % 100), 2);
}

// Writes the field of r: fixed form as F19.(15-s) and 5 blanks, exponent form
// as d.ddddddddddddddd and the exponent, right-justified.
inline char* put_field(char* out, Rounded r) noexcept
{
    char digits[16];  // fixed form: a leading 0, then the 15 digits
    put_8_digits(digits, static_cast<std::uint32_t>(r.digits / 100'000'000));
    put_8_digits(digits + 8, static_cast<std::uint32_t>(r.digits % 100'000'000));
    const char sign = r.negative ? '-' : ' ';
    std::memcpy(out, blank_field, real_field_width);
    if (r.fixed && r.exponent >= 0) {
        const int whole = r.exponent + 1;
        out[2] = sign;
        std::memcpy(out + 3, digits + 1, whole);
        out[3 + whole] = '.';
        std::memcpy(out + 4 + whole, digits + 1 + whole, 15 - whole);
    } else {
        out[1] = sign;
        out[2] = digits[0];
        out[3] = '.';
        std::memcpy(out + 4, digits + 1, 15);
        if (!r.fixed) put_exponent(out + 19, r.exponent);
    }
    return out + real_field_width;
}
#endif

// Fixed form holds the values whose 15-digit rounding lies in [0.1, 1e15):
// from the double just above 0.09999999999999995 to below 999999999999999.5,
// a tie that rounds to even, up. As bits, positive doubles order as integers
// the way their values do.
constexpr std::uint64_t lowest_fixed = std::bit_cast<std::uint64_t>(0.09999999999999995);
constexpr std::uint64_t highest_fixed = std::bit_cast<std::uint64_t>(999999999999999.5);

// The digits are the whole part of a * 10^k for a = m * 2^(e2 - 63), the top
// bit of the 64-bit m set, and k = 15 - estimate - step, where the step is 0,
// 1 or 2: one for a value whose rounding reaches 10^(estimate + 1), one for
// fixed form, which has a digit fewer. For each binary exponent e2 and step,
// the integer 10^k * 2^(e2 + 74) makes the product m * 10^k * 2^(e2 + 74) =
// a * 10^k * 2^137 exact, with the whole part in its top word from bit 9 up.
constexpr int fraction_bits = 9;

struct DecimalScale {
    std::uint64_t high;
    std::uint64_t low;
};

// m * scale as its top word and the bits below it, all of them there when
// the scale has one word, else the next 64 with bit 0 also set when any
// below those is.
struct Product {
    std::uint64_t top;
    std::uint64_t below;
};

[[gnu::always_inline]] constexpr Product multiply(std::uint64_t m, DecimalScale scale) noexcept
{
    const uint128 product = static_cast<uint128>(m) * scale.high;
    Product p = {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
    if (scale.low != 0) {  // for values below about 1e-11
        const uint128 low_product = static_cast<uint128>(m) * scale.low;
        const std::uint64_t middle = p.below + static_cast<std::uint64_t>(low_product >> 64);
        p.top += middle < p.below;
        p.below = middle | static_cast<std::uint64_t>(low_product);
    }
    return p;
}

// The bits of the smallest double with binary exponent e2 whose product with
// `scale` rounds to `digits` or more, or those of 2^(e2 + 1) if none does.
constexpr std::uint64_t first_rounding_to(std::uint64_t digits, int e2, DecimalScale scale)
{
    const std::uint64_t least_top = (2 * digits - 1) << (fraction_bits - 1);  // digits - 1/2; a tie rounds up, to even
    std::uint64_t low = 0;
    std::uint64_t high = std::uint64_t{1} << 52;
    while (low < high) {
        const std::uint64_t middle = (low + high) / 2;
        if (multiply((middle << 11) | (std::uint64_t{1} << 63), scale).top >= least_top)
            high = middle;
        else
            low = middle + 1;
    }
    return (static_cast<std::uint64_t>(e2 + 1023) << 52) + low;
}

struct BinaryExponentEntry {
    // The bits of the smallest value whose rounding, in exponent form and in
    // fixed form, reaches 10^(estimate + 1): from there on the value takes the
    // exponent above the estimate, so rounding never carries into a new digit.
    std::uint64_t first_reaching_next_power[2];
    int estimate;
};

constexpr auto fast_range_tables = [] {
    struct {
        BinaryExponentEntry exponents[binary_exponents];
        DecimalScale scales[binary_exponents * 3];
    } tables{};
    for (int e2 = lowest_binary_exponent; e2 <= highest_binary_exponent; ++e2) {
        const int i = e2 - lowest_binary_exponent;
        const int estimate = decimal_estimate(e2);
        for (int step = 0; step < 3; ++step) {
            const int k = 15 - estimate - step;
            if (k < 0)  // fixed form from 10^15 on: no value takes this step
                continue;
            uint128 scale = 1;
            for (int j = 0; j < k; ++j) scale *= 5;
            const int twos = k + e2 + 74;
            if (twos < 0 || twos > 127 || (scale << twos) >> twos != scale)
                throw "10^k * 2^(e2 + 74) is no integer below 2^128";
            scale <<= twos;
            tables.scales[3 * i + step] = {static_cast<std::uint64_t>(scale >> 64), static_cast<std::uint64_t>(scale)};
        }
        // at the estimate: exponent form's 16 digits rounding to 10^16, fixed form's 15 to 10^15
        tables.exponents[i] = {{first_rounding_to(10'000'000'000'000'000, e2, tables.scales[3 * i]),
                                first_rounding_to(1'000'000'000'000'000, e2, tables.scales[3 * i + 1])},
                               estimate};
    }
    return tables;
}();

// The whole part of m * scale / 2^137 rounded, exact ties to even: m * scale
// is below 10^16 * 2^137, so its top word is below 2^63 and adding half a
// unit cannot carry out of it.
[[gnu::always_inline]] inline std::uint64_t rounded_whole(Product p) noexcept
{
    constexpr std::uint64_t half = std::uint64_t{1} << (fraction_bits - 1);
    std::uint64_t whole = (p.top + half) >> fraction_bits;
    if ((p.top & (2 * half - 1)) == half && p.below == 0) [[unlikely]]  // an exact tie, rounded up: to even
        whole &= ~std::uint64_t{1};
    return whole;
}

// A double as its bits and the index of its binary exponent in the fast
// range's tables, which is binary_exponents or more outside that range (for
// zero, subnormals, infinities and NaN too).
struct Binary {
    std::uint64_t bits;
    unsigned index;
};

[[gnu::always_inline]] inline Binary binary(double value) noexcept
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto biased_exponent = static_cast<unsigned>(bits >> 52) & 0x7ff;
    return {bits, biased_exponent - (lowest_binary_exponent + 1023)};
}

[[gnu::always_inline]] inline bool in_fast_range(Binary b) noexcept { return b.index < binary_exponents; }

// The value rounded for its field, for a value in the fast range.
[[gnu::always_inline]] inline Rounded round_for_field(Binary b) noexcept
{
    const std::uint64_t magnitude = b.bits & ~(std::uint64_t{1} << 63);
    const BinaryExponentEntry& entry = fast_range_tables.exponents[b.index];
    const bool fixed = magnitude - lowest_fixed < highest_fixed - lowest_fixed;
    const bool above_estimate = magnitude >= entry.first_reaching_next_power[fixed];
    const std::uint64_t mantissa = (b.bits << 11) | (std::uint64_t{1} << 63);  // with its hidden bit
    const DecimalScale scale = fast_range_tables.scales[3 * b.index + above_estimate + fixed];
    return {rounded_whole(multiply(mantissa, scale)), entry.estimate + above_estimate, fixed, (b.bits >> 63) != 0};
}

}  // namespace

char* put_real_field(char* out, double value) noexcept
{
    const Binary b = binary(value);
    if (in_fast_range(b)) return put_field(out, round_for_field(b));
    if ((b.bits << 1) == 0) {  // a zero: whole blocks of them in some spin densities
        constexpr std::string_view negative_zero = "-0.000000000000000E+000";
        const bool positive = (b.bits >> 63) == 0;
        return put_right_justified(out, negative_zero.data() + positive, negative_zero.size() - positive);
    }
    return put_real_field_exact(out, value);
}

namespace {

// The fields of three values side by side to out[0, 72); returns out + 72.
[[gnu::always_inline]] inline char* put_three_real_fields(char* out, double first, double second, double third) noexcept
{
    const Binary b[3] = {binary(first), binary(second), binary(third)};
    if (!(in_fast_range(b[0]) & in_fast_range(b[1]) & in_fast_range(b[2]))) [[unlikely]] {
        out = put_real_field(out, first);
        out = put_real_field(out, second);
        return put_real_field(out, third);
    }
    // Each step for all three before the next: their long chains of dependent
    // steps overlap.
    const Rounded rounded[3] = {round_for_field(b[0]), round_for_field(b[1]), round_for_field(b[2])};
    out = put_field(out, rounded[0]);
    out = put_field(out, rounded[1]);
    return put_field(out, rounded[2]);
}

}  // namespace

char* put_real_field_records(char* out, const double* values, std::size_t records) noexcept
{
    for (; records > 0; --records, values += 3) {
        out = put_three_real_fields(out, values[0], values[1], values[2]);
        *out++ = '\n';
    }
    return out;
}

char* put_real_field_exact(char* out, double value) noexcept
{
    if (std::isnan(value)) return put_right_justified(out, "NaN", 3);
    if (std::isinf(value))
        return value < 0 ? put_right_justified(out, "-Infinity", 9) : put_right_justified(out, "Infinity", 8);

    const bool negative = std::signbit(value);
    const double a = std::fabs(value);
    char chars[64];
    if (a != 0) {
        // The exponent of the value rounded to 15 digits: "d.dddddddddddddde+XX".
        const char* end = std::to_chars(chars, chars + sizeof chars, a, std::chars_format::scientific, 14).ptr;
        int exponent15 = 0;
        std::from_chars(chars + 17 + (chars[17] == '+'), end, exponent15);
        if (exponent15 >= -1 && exponent15 <= 14) {
            // F19.(15-s), then 5 blanks.
            const int s = exponent15 >= 0 ? exponent15 + 1 : 0;
            char* fixed_end = std::to_chars(chars, chars + sizeof chars, value, std::chars_format::fixed, 15 - s).ptr;
            if (s == 15) *fixed_end++ = '.';  // 15 digits and the point, no fraction digits
            const std::size_t length = static_cast<std::size_t>(fixed_end - chars);
            std::memcpy(out, blank_field, real_field_width);
            std::memcpy(out + 19 - length, chars, length);
            return out + real_field_width;
        }
    }
    // Exponent form: "d.ddddddddddddddde+XX" from to_chars, exponent widened to 3 digits.
    const char* end = std::to_chars(chars, chars + sizeof chars, a, std::chars_format::scientific, 15).ptr;
    int exponent = 0;
    std::from_chars(chars + 18 + (chars[18] == '+'), end, exponent);
    char field[23];
    std::size_t length = 0;
    if (negative) field[length++] = '-';
    std::memcpy(field + length, chars, 17);
    length += 17;
    put_exponent(field + length, exponent);
    return put_right_justified(out, field, length + 5);
}

}  // namespace voxmill
