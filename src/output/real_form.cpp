#include "output/real_form.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The field holds the value rounded to 15 significant digits in fixed form and
// to 16 in exponent form, both from the exact binary value. The fast path gets
// the decimal digits from an exact product v * 10^k formed with fused
// multiply-add, then rounds that integer; whatever it cannot decide for certain
// (exact ties, values far from 1) goes the plain way through std::to_chars.

namespace voxmill {

namespace {

__extension__ typedef unsigned __int128 uint128;

constexpr char blank_field[real_field_width + 1] = "                        ";

constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// q < 10^8 as 8 ASCII digits in the bytes of a word, the first digit in the
// lowest byte: the halves, quarters and digits are split in parallel lanes.
inline std::uint64_t digits_8(std::uint32_t q) noexcept
{
    const std::uint64_t high = q / 10000;
    std::uint64_t x = high | ((q - high * 10000) << 32);              // abcd | efgh
    std::uint64_t y = ((x * 10486) >> 20) & 0x0000007F0000007F;       // ab, ef
    x = y | ((x - y * 100) << 16);                                    // ab cd ef gh
    y = ((x * 103) >> 10) & 0x000F000F000F000F;                       // a c e g
    x = y | ((x - y * 10) << 8);                                      // a b c d e f g h
    return x + 0x3030303030303030;
}

// Writes q < 10^8 as 8 digits.
inline void put_8_digits(char* out, std::uint32_t q) noexcept
{
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t digits = digits_8(q);
        std::memcpy(out, &digits, 8);
    } else {
        // The four pairs do not wait on each other.
        const std::uint32_t high = q / 10000;
        const std::uint32_t low = q % 10000;
        std::memcpy(out, digit_pairs + 2 * (high / 100), 2);
        std::memcpy(out + 2, digit_pairs + 2 * (high % 100), 2);
        std::memcpy(out + 4, digit_pairs + 2 * (low / 100), 2);
        std::memcpy(out + 6, digit_pairs + 2 * (low % 100), 2);
    }
}

#if defined(__SSE2__)
// q < 10^16 as 16 ASCII digits, the first in the lowest byte: both halves of
// eight digits at once, their quarters of four digits divided by 1000, 100, 10
// and 1 in 16-bit lanes, which keeps the work off the integer multiplier.
[[gnu::always_inline]] inline __m128i digits_16(std::uint64_t q) noexcept
{
    const std::uint64_t high = q / 100'000'000;
    const std::uint64_t low = q % 100'000'000;
    const __m128i halves = _mm_set_epi64x(static_cast<long long>(low), static_cast<long long>(high));
    const __m128i abcd = _mm_srli_epi64(_mm_mul_epu32(halves, _mm_set1_epi32(static_cast<int>(0xd1b71759))), 45);
    const __m128i efgh = _mm_sub_epi32(halves, _mm_mul_epu32(abcd, _mm_set1_epi32(10000)));
    // 32-bit lanes: the four quarters times 4, for the divisions below.
    const __m128i quarters = _mm_slli_epi32(_mm_or_si128(abcd, _mm_slli_epi64(efgh, 32)), 2);
    // 16-bit lanes: each quarter four times over, high half first.
    __m128i first = _mm_shuffle_epi32(quarters, 0x50);
    first = _mm_shufflehi_epi16(_mm_shufflelo_epi16(first, 0x00), 0x00);
    __m128i second = _mm_shuffle_epi32(quarters, 0xFA);
    second = _mm_shufflehi_epi16(_mm_shufflelo_epi16(second, 0x00), 0x00);
    // abcd / 1000, / 100, / 10, / 1 = a, ab, abc, abcd; less ten times the lane before: a, b, c, d.
    const __m128i divide = _mm_set_epi16(-32768, 13108, 5243, 8389, -32768, 13108, 5243, 8389);
    const __m128i shift = _mm_set_epi16(-32768, 1 << 13, 1 << 11, 1 << 7, -32768, 1 << 13, 1 << 11, 1 << 7);
    const __m128i ten = _mm_set1_epi16(10);
    first = _mm_mulhi_epu16(_mm_mulhi_epu16(first, divide), shift);
    second = _mm_mulhi_epu16(_mm_mulhi_epu16(second, divide), shift);
    first = _mm_sub_epi16(first, _mm_slli_epi64(_mm_mullo_epi16(first, ten), 16));
    second = _mm_sub_epi16(second, _mm_slli_epi64(_mm_mullo_epi16(second, ten), 16));
    return _mm_add_epi8(_mm_packus_epi16(first, second), _mm_set1_epi8('0'));
}
#endif

// Writes q < 10^16 as 16 digits.
[[gnu::always_inline]] inline void put_16_digits(char* out, std::uint64_t q) noexcept
{
#if defined(__SSE2__)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), digits_16(q));
#else
    put_8_digits(out, static_cast<std::uint32_t>(q / 100'000'000));
    put_8_digits(out + 8, static_cast<std::uint32_t>(q % 100'000'000));
#endif
}

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

// Fixed form: the 15 significant digits q15 with s of them before the point,
// as F19.(15-s), then 5 blanks. The digits always start in column 4, or in
// column 3 as "0." when s is 0, so the sign sits just before them.
[[gnu::always_inline]] inline char* put_fixed_form(char* out, bool negative, std::uint64_t q15, int s) noexcept
{
    std::memcpy(out, blank_field, real_field_width);
#if defined(__SSE2__)
    {
        // "0" and the 15 digits in one SSE2 register: the s whole digits move one
        // column left over the "0", the point goes after them, the fraction
        // stays in place.
        const __m128i digits = digits_16(q15);
        const __m128i column = _mm_set_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
        const __m128i point_column = _mm_set1_epi8(static_cast<char>(s));
        const __m128i field = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(_mm_srli_si128(digits, 1), _mm_cmplt_epi8(column, point_column)),
                         _mm_and_si128(digits, _mm_cmpgt_epi8(column, point_column))),
            _mm_and_si128(_mm_cmpeq_epi8(column, point_column), _mm_set1_epi8('.')));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3), field);
        if (s == 0)
            out[2] = '0';
        if (negative)
            out[s == 0 ? 1 : 2] = '-';
        return out + real_field_width;
    }
#else
    if constexpr (std::endian::native == std::endian::little) {
        if (s > 0) {
            // "0" and the 15 digits as a 16-byte word, the first character in
            // the lowest byte; the s whole digits move one column left over the
            // "0", the point goes after them, the fraction stays in place.
            const auto high = static_cast<std::uint32_t>(q15 / 100'000'000);
            const auto low = static_cast<std::uint32_t>(q15 % 100'000'000);
            const uint128 digits = digits_8(high) | static_cast<uint128>(digits_8(low)) << 64;
            const uint128 whole_mask = (static_cast<uint128>(1) << (8 * s)) - 1;
            const uint128 point = static_cast<uint128>('.') << (8 * s);
            const uint128 fraction_mask = ~(whole_mask | static_cast<uint128>(0xff) << (8 * s));
            const uint128 field = ((digits >> 8) & whole_mask) | point | (digits & fraction_mask);
            std::memcpy(out + 3, &field, 16);
            if (negative)
                out[2] = '-';
            return out + real_field_width;
        }
    }
    // A leading "0", then the 15 digits: the fraction digits are in place.
    put_16_digits(out + 3, q15);
    if (s == 0) {
        out[2] = '0';
        out[3] = '.';
        if (negative)
            out[1] = '-';
    } else {
        for (int i = 0; i < s; ++i)  // the whole part moves one column left
            out[3 + i] = out[4 + i];
        out[3 + s] = '.';
        if (negative)
            out[2] = '-';
    }
    return out + real_field_width;
#endif
}

// Exponent form: the 16 significant digits q16 as d.ddddddddddddddd, then the
// exponent; 22 characters, 23 with the sign, right-justified in 24.
[[gnu::always_inline]] inline char* put_exponent_form(char* out, bool negative, std::uint64_t q16, int exponent) noexcept
{
    out[0] = ' ';
    out[1] = negative ? '-' : ' ';
    put_16_digits(out + 3, q16);
    out[2] = out[3];
    out[3] = '.';
    put_exponent(out + 19, exponent);
    return out + real_field_width;
}

constexpr std::uint64_t ten_to_16 = 10'000'000'000'000'000;
constexpr std::uint64_t ten_to_17 = 100'000'000'000'000'000;

// 10^0 to 10^22: the powers of ten that are exact doubles.
constexpr auto exact_powers = [] {
    struct {
        double value[23];
    } table{};
    double p = 1;
    for (int i = 0; i <= 22; ++i, p *= 10)
        table.value[i] = p;
    return table;
}();

// The doubles nearest to 10^-28 .. 10^38, to place a value between two powers.
constexpr int lowest_power = -28;
constexpr double nearest_powers[] = {
    1e-28, 1e-27, 1e-26, 1e-25, 1e-24, 1e-23, 1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17,
    1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-09, 1e-08, 1e-07, 1e-06, 1e-05,
    1e-04, 1e-03, 1e-02, 1e-01, 1e+00, 1e+01, 1e+02, 1e+03, 1e+04, 1e+05, 1e+06, 1e+07,
    1e+08, 1e+09, 1e+10, 1e+11, 1e+12, 1e+13, 1e+14, 1e+15, 1e+16, 1e+17, 1e+18, 1e+19,
    1e+20, 1e+21, 1e+22, 1e+23, 1e+24, 1e+25, 1e+26, 1e+27, 1e+28, 1e+29, 1e+30, 1e+31,
    1e+32, 1e+33, 1e+34, 1e+35, 1e+36, 1e+37, 1e+38};
constexpr int highest_power = lowest_power + static_cast<int>(std::size(nearest_powers)) - 1;

// floor(t) for |t| < 2^62, without the library's general floor().
std::int64_t floor_small(double t) noexcept
{
    const auto i = static_cast<std::int64_t>(t);
    return static_cast<double>(i) > t ? i - 1 : i;
}

// a * 10^k (a > 0) as its whole part and whether a fraction is left.
struct Scaled {
    std::uint64_t whole;  // 0 when a * 10^k is below 10^16
    bool fraction;
};

// Forms a * 10^k for -22 <= k <= 44 without losing the parts that decide the
// rounding. Returns false when it cannot tell them for certain.
bool scale(double a, int k, Scaled& result) noexcept
{
    double p;   // the product rounded
    double t;   // its rounding error: a * 10^k = p + t, exactly but for k > 22
    if (k >= 0 && k <= 22) {
        const double m = exact_powers.value[k];
        p = a * m;
        t = std::fma(a, m, -p);  // exact
    } else if (k > 22 && k <= 44) {
        // Two exact products; only the tiny cross term t1 * m is rounded.
        const double p1 = a * 1e22;
        const double t1 = std::fma(a, 1e22, -p1);
        const double m = exact_powers.value[k - 22];
        p = p1 * m;
        t = std::fma(p1, m, -p) + t1 * m;
    } else if (k < 0 && k >= -22) {
        // a / 10^-k: the remainder a - p * d is exact, its sign and size
        // against d tell the whole part and the fraction without rounding.
        const double d = exact_powers.value[-k];
        p = a / d;
        if (p < 1e16) {
            result = {0, false};
            return true;
        }
        const double r = std::fma(-p, d, a);
        auto c = static_cast<double>(floor_small(r / d));
        if (std::fma(-c, d, r) < 0)
            c -= 1;
        else if (std::fma(-(c + 1), d, r) >= 0)
            c += 1;
        result = {static_cast<std::uint64_t>(p) + static_cast<std::uint64_t>(static_cast<std::int64_t>(c)),
                  std::fma(-c, d, r) != 0};
        return true;
    } else {
        return false;
    }
    if (p < 1e16) {  // doubles from 2^53 on are whole numbers; below, p may not be
        result = {0, false};
        return true;
    }
    const std::int64_t c = floor_small(t);
    const double fraction = t - static_cast<double>(c);
    if (k > 22 && (fraction < 1e-9 || fraction > 1 - 1e-9))
        return false;  // too near a whole number for the rounded cross term
    result = {static_cast<std::uint64_t>(p) + static_cast<std::uint64_t>(c), fraction != 0};
    return true;
}

// 5^0 .. 5^55 as 128-bit integers: 5^55 < 2^128.
constexpr int highest_power_of_5 = 55;
constexpr auto powers_of_5 = [] {
    struct {
        uint128 value[highest_power_of_5 + 1];
    } table{};
    uint128 p = 1;
    for (int i = 0; i <= highest_power_of_5; ++i, p *= 5)
        table.value[i] = p;
    return table;
}();

// 5^0 .. 5^27, the powers below 2^64, shifted left until their top bit is set.
constexpr int highest_word_power_of_5 = 27;
struct ShiftedPower {
    std::uint64_t value;  // 5^k << shift
    int shift;
};
constexpr auto shifted_powers_of_5 = [] {
    struct {
        ShiftedPower value[highest_word_power_of_5 + 1];
    } table{};
    std::uint64_t p = 1;
    for (int i = 0; i <= highest_word_power_of_5; ++i, p *= 5)
        table.value[i] = {p << std::countl_zero(p), std::countl_zero(p)};
    return table;
}();

// M * 2^E * 10^k for 0 <= k <= 55, M < 2^53, as its whole part and whether a
// fraction is left, when the whole part is below 2^64: exactly, in integers,
// as M * 5^k shifted by E + k bits.
[[gnu::always_inline]] inline Scaled scale_exactly(std::uint64_t M, int E, int k) noexcept
{
    const int shift = E + k;
    if (k <= highest_word_power_of_5) {
        // M << 11 and 5^k << z both have their top bit set, so their product
        // lies in [2^126, 2^128); a * 10^k, below 10^18 < 2^60, is that product
        // shifted right by 66 to 75 bits: the high word shifted by 2 to 11.
        const ShiftedPower five_k = shifted_powers_of_5.value[k];
        const uint128 product = static_cast<uint128>(M << 11) * five_k.value;
        const int s = 11 + five_k.shift - shift - 64;
        const auto high = static_cast<std::uint64_t>(product >> 64);
        const auto low = static_cast<std::uint64_t>(product);
        return {high >> s, ((high & ((std::uint64_t{1} << s) - 1)) | low) != 0};
    }
    const uint128 five_k = powers_of_5.value[k];
    // A product of up to 181 bits, in three words w2:w1:w0; here the value is
    // below 1e-11, so the shift is to the right by at least 34 bits.
    const uint128 low = static_cast<uint128>(M) * static_cast<std::uint64_t>(five_k);
    const uint128 high = static_cast<uint128>(M) * static_cast<std::uint64_t>(five_k >> 64);
    const auto w0 = static_cast<std::uint64_t>(low);
    const uint128 top = high + (low >> 64);  // w2:w1, the product >> 64
    const int r = -shift;
    if (r >= 64) {
        const int s = r - 64;
        if (s >= 128)
            return {0, top != 0 || w0 != 0};
        const uint128 below = s == 0 ? 0 : top & ((static_cast<uint128>(1) << s) - 1);
        return {static_cast<std::uint64_t>(top >> s), w0 != 0 || below != 0};
    }
    return {static_cast<std::uint64_t>((top << (64 - r)) | (w0 >> r)), (w0 & ((std::uint64_t{1} << r) - 1)) != 0};
}

// Rounds the 17 leading digits n (10^16 <= n.whole < 10^17) of a value of
// decimal exponent `exponent` into its field. False for an exact tie, which
// the plain way settles.
[[gnu::always_inline]] inline bool put_rounded(char*& out, bool negative, Scaled n, int exponent) noexcept
{
    // 15 digits decide the form. A value exactly halfway goes the plain
    // way, which rounds such ties as std::to_chars does; any other value
    // from halfway up rounds up.
    const std::uint64_t rest15 = n.whole % 100;
    if (rest15 == 50 && !n.fraction)
        return false;
    std::uint64_t q15 = n.whole / 100 + (rest15 >= 50);
    int exponent15 = exponent;
    if (q15 == ten_to_16 / 10) {  // 999...9.5 became 1000...0
        q15 /= 10;
        ++exponent15;
    }
    if (exponent15 >= -1 && exponent15 <= 14) {
        out = put_fixed_form(out, negative, q15, exponent15 + 1);
        return true;
    }

    // Exponent form: 16 digits, rounded afresh from the 17.
    const std::uint64_t rest16 = n.whole % 10;
    if (rest16 == 5 && !n.fraction)
        return false;
    std::uint64_t q16 = n.whole / 10 + (rest16 >= 5);
    int exponent16 = exponent;
    if (q16 == ten_to_16) {
        q16 /= 10;
        ++exponent16;
    }
    out = put_exponent_form(out, negative, q16, exponent16);
    return true;
}

}  // namespace

char* put_real_field(char* out, double value) noexcept
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int biased_exponent = static_cast<int>((bits >> 52) & 0x7ff);
    const int binary_exponent = biased_exponent - 1023;

    // Normal values from about 1e-39 to 1e17, which holds every density: the
    // 17 leading digits of a = M * 2^E exactly, as the integer a * 10^(16 - e10)
    // for an estimate e10 of the decimal exponent that is exact or one too low.
    if (biased_exponent != 0) {
        const int estimate = (binary_exponent * 78913) >> 18;  // floor(binary_exponent * log10(2))
        const int k = 16 - estimate;
        if (k >= 0 && k <= highest_power_of_5) {
            const std::uint64_t M = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
            Scaled n = scale_exactly(M, binary_exponent - 52, k);
            int exponent = estimate;
            // Without a branch: which way it goes is as good as random.
            const bool eighteen_digits = n.whole >= ten_to_17;
            n.fraction = n.fraction || (eighteen_digits && n.whole % 10 != 0);
            n.whole = eighteen_digits ? n.whole / 10 : n.whole;
            exponent += eighteen_digits;
            if (put_rounded(out, negative, n, exponent))
                return out;
            return put_real_field_exact(out, value);
        }
    }

    // Zero, subnormals, infinities, NaN and magnitudes far from 1 go the plain way.
    if (binary_exponent < -93 || binary_exponent > 125)
        return put_real_field_exact(out, value);
    const double a = std::fabs(value);

    // 10^exponent <= a < 10^(exponent+1); floor(e2 * log10(2)) is within one
    // of it, the table settles which (and the range check below, for the rare
    // value that is the double nearest to a power of ten but below it).
    int exponent = (binary_exponent * 78913) >> 18;
    if (exponent + 1 <= highest_power && a >= nearest_powers[exponent + 1 - lowest_power])
        ++exponent;

    for (int attempt = 0; attempt < 2; ++attempt) {
        // The 17 leading digits of a, and whether any digit after them is not 0.
        Scaled n;
        if (!scale(a, 16 - exponent, n))
            break;
        if (n.whole < ten_to_16) {
            --exponent;
            continue;
        }
        if (n.whole >= ten_to_17) {
            ++exponent;
            continue;
        }
        if (put_rounded(out, negative, n, exponent))
            return out;
        break;
    }
    return put_real_field_exact(out, value);
}

char* put_real_field_exact(char* out, double value) noexcept
{
    if (std::isnan(value))
        return put_right_justified(out, "NaN", 3);
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
            if (s == 15)
                *fixed_end++ = '.';  // 15 digits and the point, no fraction digits
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
    if (negative)
        field[length++] = '-';
    std::memcpy(field + length, chars, 17);
    length += 17;
    put_exponent(field + length, exponent);
    return put_right_justified(out, field, length + 5);
}

}  // namespace voxmill
