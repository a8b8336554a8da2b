#include "text/exponent_field.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

// The fast path takes a value 1.f * 2^e2 with e2 from -150 to 13 (about 7e-46
// to 16384, which holds every density and potential of a cube) and gets its
// five digits as the whole part of an exact integer product, the mantissa
// times 10^k times a power of two, rounded by the bits below it. Other
// values go through std::to_chars.

namespace voxmill {

namespace {

__extension__ typedef unsigned __int128 uint128;

constexpr int lowest_binary_exponent = -150;
constexpr int highest_binary_exponent = 13;
constexpr int binary_exponents = highest_binary_exponent - lowest_binary_exponent + 1;

// floor(e2 * log10(2)): the decimal exponent of the value or one below it.
constexpr int decimal_estimate(int e2) { return (e2 * 78913) >> 18; }

// The digits are the whole part of a * 10^k for a = m * 2^(e2 - 63), the top
// bit of the 64-bit m set, and k = 4 - estimate - step, the step being 1 for
// a value whose rounding reaches 10^5. The scale 10^k * 2^(e2 + 104) is an
// integer below 2^128 for every e2 and step of the fast range, and m * scale
// = a * 10^k * 2^167 exactly, with the whole part in the top word from bit 39 up.
constexpr int fraction_bits = 39;

struct Scale {
    std::uint64_t high;
    std::uint64_t low;
};

// m * scale: its top word, and whether any bit below it is set.
struct Product {
    std::uint64_t top;
    bool below;
};

constexpr Product multiply(std::uint64_t m, Scale scale) noexcept
{
    const uint128 high = static_cast<uint128>(m) * scale.high;
    const uint128 low = static_cast<uint128>(m) * scale.low;
    const uint128 middle = static_cast<uint128>(static_cast<std::uint64_t>(high)) + (low >> 64);
    return {static_cast<std::uint64_t>(high >> 64) + static_cast<std::uint64_t>(middle >> 64),
            (static_cast<std::uint64_t>(middle) | static_cast<std::uint64_t>(low)) != 0};
}

// The whole part of the product rounded, an exact tie to even.
constexpr std::uint64_t rounded_whole(Product p) noexcept
{
    constexpr std::uint64_t half = std::uint64_t{1} << (fraction_bits - 1);
    std::uint64_t whole = (p.top + half) >> fraction_bits;
    if ((p.top & (2 * half - 1)) == half && !p.below) [[unlikely]]
        whole &= ~std::uint64_t{1};
    return whole;
}

constexpr std::uint64_t full_mantissa(std::uint64_t bits) { return (bits << 11) | (std::uint64_t{1} << 63); }

// "E+dd" or "E-dd" as four bytes, the first in the lowest.
constexpr std::uint32_t exponent_text(int exponent)
{
    const int magnitude = exponent < 0 ? -exponent : exponent;
    return 'E' | static_cast<std::uint32_t>(exponent < 0 ? '-' : '+') << 8
           | static_cast<std::uint32_t>('0' + magnitude / 10) << 16
           | static_cast<std::uint32_t>('0' + magnitude % 10) << 24;
}

struct BinaryExponentEntry {
    Scale scales[2];             // by step
    std::uint32_t exponents[2];  // the text of the exponent of 0.ddddd, by step
    // The bits of the smallest magnitude of this exponent that rounds to 10^5
    // at step 0, or those of the next exponent's first.
    std::uint64_t first_of_next_power;
};

constexpr auto entries = [] {
    struct {
        BinaryExponentEntry of[binary_exponents];
    } table{};
    for (int e2 = lowest_binary_exponent; e2 <= highest_binary_exponent; ++e2) {
        BinaryExponentEntry& entry = table.of[e2 - lowest_binary_exponent];
        const int estimate = decimal_estimate(e2);
        for (int step = 0; step < 2; ++step) {
            const int k = 4 - estimate - step;
            const int twos = k + e2 + 104;
            uint128 scale = 1;
            for (int j = 0; j < k; ++j) scale *= 5;
            if (k < 0 || twos < 0 || twos > 127 || (scale << twos) >> twos != scale)
                throw "10^k * 2^(e2 + 104) is no integer below 2^128";
            scale <<= twos;
            entry.scales[step] = {static_cast<std::uint64_t>(scale >> 64), static_cast<std::uint64_t>(scale)};
            entry.exponents[step] = exponent_text(estimate + step + 1);
        }
        std::uint64_t low = 0, high = std::uint64_t{1} << 52;
        while (low < high) {
            const std::uint64_t middle = (low + high) / 2;
            if (rounded_whole(multiply(full_mantissa(middle), entry.scales[0])) >= 100'000)
                high = middle;
            else
                low = middle + 1;
        }
        entry.first_of_next_power = (static_cast<std::uint64_t>(e2 + 1023) << 52) + low;
    }
    return table;
}();

// " -0." or "  0." as four bytes.
constexpr std::uint32_t heads[2] = {0x2e302020, 0x2e302d20};

// Writes the field of 0.ddddd with the exponent text `exponent`.
inline char* put_field(char* out, bool negative, std::uint32_t digits, std::uint32_t exponent) noexcept
{
    // The last four digits as two pairs in 16-bit lanes, each split into tens
    // and ones by x / 10 = (x * 103) >> 10, true for x below 100.
    const std::uint32_t first = digits / 10000, rest = digits - first * 10000;
    const std::uint32_t pairs = rest / 100 | (rest % 100) << 16;
    const std::uint32_t tens = ((pairs * 103) >> 10) & 0x000f000f;
    const std::uint32_t four = (tens | (pairs - tens * 10) << 8) | 0x30303030;
    std::memcpy(out, &heads[negative], 4);
    out[4] = static_cast<char>('0' + first);
    std::memcpy(out + 5, &four, 4);
    std::memcpy(out + 9, &exponent, 4);
    return out + exponent_field_width;
}

constexpr char digit_pairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

char* put_right_justified(char* out, const char* text, std::size_t length) noexcept
{
    std::memset(out, ' ', exponent_field_width - length);
    std::memcpy(out + exponent_field_width - length, text, length);
    return out + exponent_field_width;
}

// " s0.ddddd" and the exponent of a value 0.ddddd * 10^exponent.
char* put_parts(char* out, bool negative, std::uint32_t digits, int exponent) noexcept
{
    const std::uint32_t rest = digits % 10000;
    out[0] = ' ';
    out[1] = negative ? '-' : ' ';
    out[2] = '0';
    out[3] = '.';
    out[4] = static_cast<char>('0' + digits / 10000);
    std::memcpy(out + 5, digit_pairs + 2 * (rest / 100), 2);
    std::memcpy(out + 7, digit_pairs + 2 * (rest % 100), 2);
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 100) {
        out[9] = 'E';
        out[10] = exponent < 0 ? '-' : '+';
    } else {
        out[9] = exponent < 0 ? '-' : '+';
        out[10] = static_cast<char>('0' + magnitude / 100);
    }
    std::memcpy(out + 11, digit_pairs + 2 * (magnitude % 100), 2);
    return out + exponent_field_width;
}

}  // namespace

char* put_exponent_field(char* out, double value) noexcept
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto index = (static_cast<unsigned>(bits >> 52) & 0x7ff) - (lowest_binary_exponent + 1023);
    if (index >= binary_exponents) [[unlikely]]
        return put_exponent_field_exact(out, value);
    const BinaryExponentEntry& entry = entries.of[index];
    const std::uint64_t magnitude = bits & ~(std::uint64_t{1} << 63);
    const int step = magnitude >= entry.first_of_next_power;
    const std::uint64_t digits = rounded_whole(multiply(full_mantissa(bits), entry.scales[step]));
    return put_field(out, (bits >> 63) != 0, static_cast<std::uint32_t>(digits), entry.exponents[step]);
}

char* put_exponent_field_exact(char* out, double value) noexcept
{
    if (std::isnan(value)) return put_right_justified(out, "NaN", 3);
    if (std::isinf(value))
        return value < 0 ? put_right_justified(out, "-Infinity", 9) : put_right_justified(out, "Infinity", 8);
    const bool negative = std::signbit(value);
    if (value == 0) return put_parts(out, negative, 0, 0);
    // "d.dddde-XX": the digits of 0.ddddd and its exponent, one above that of d.dddd.
    char chars[32];
    const char* end =
        std::to_chars(chars, chars + sizeof chars, std::fabs(value), std::chars_format::scientific, 4).ptr;
    int exponent = 0;
    std::from_chars(chars + 7 + (chars[7] == '+'), end, exponent);
    std::uint32_t digits = 0;
    for (const char c : {chars[0], chars[2], chars[3], chars[4], chars[5]}) digits = digits * 10 + (c - '0');
    return put_parts(out, negative, digits, exponent + 1);
}

char* put_exponent_records(char* out, const double* values, std::size_t count) noexcept
{
    for (; count >= 6; count -= 6, values += 6) {
        for (int i = 0; i < 6; ++i) out = put_exponent_field(out, values[i]);
        *out++ = '\n';
    }
    if (count == 0) return out;
    for (std::size_t i = 0; i < count; ++i) out = put_exponent_field(out, values[i]);
    *out++ = '\n';
    return out;
}

std::size_t exponent_records_size(std::size_t count) noexcept { return count * exponent_field_width + (count + 5) / 6; }

}  // namespace voxmill
