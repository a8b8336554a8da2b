#include "output/real_form.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace voxmill {
namespace {

std::string field(char* (*put)(char*, double) noexcept, double value)
{
    char out[real_field_width];
    EXPECT_EQ(put(out, value), out + real_field_width);
    return std::string(out, real_field_width);
}

struct Example {
    double value;
    const char* field;
};

// Both the fast path and the plain one must give these fields.
const Example examples[] = {
    // fixed form: 15 significant digits, F19.(15-s) and 5 blanks
    {1.0, "   1.00000000000000     "},
    {0.5, "  0.500000000000000     "},
    {-0.5, " -0.500000000000000     "},
    {123.456, "   123.456000000000     "},
    {999999999999999.0, "   999999999999999.     "},
    {1.0 / 3, "  0.333333333333333     "},
    {0.3 - 0.1, "  0.200000000000000     "},
    // exponent form: 16 significant digits
    {0.0123, "  1.230000000000000E-002"},
    {0.0, "  0.000000000000000E+000"},
    {-0.0, " -0.000000000000000E+000"},
    {-2.5e-7, " -2.500000000000000E-007"},
    {1e15, "  1.000000000000000E+015"},
    {1.0 / 300, "  3.333333333333334E-003"},
    {1e-300, "  1.000000000000000E-300"},
    {5e-324, "  4.940656458412465E-324"},
    {std::numeric_limits<double>::max(), "  1.797693134862316E+308"},
    // the double nearest 1e-6 lies below it and rounds up to it
    {1e-6, "  1.000000000000000E-006"},
    // switch points: 0.1 - 0.5e-16 and 1e15 - 0.5
    {0.1, "  0.100000000000000     "},
    {0.09999999999999995, "  0.100000000000000     "},
    {0.09999999999999994, "  9.999999999999994E-002"},
    {std::nextafter(0.01, 0.0), "  9.999999999999998E-003"},  // 15 digits carry, 16 do not
    {999999999999999.375, "   999999999999999.     "},
    {999999999999999.5, "  9.999999999999995E+014"},
    {9.9999999999999999e14, "  1.000000000000000E+015"},
    // carry into a new digit before the point
    {std::nextafter(10.0, 0.0), "   10.0000000000000     "},
    // exact decimal ties, rounded to even as std::to_chars does
    {100000000000000.5, "   100000000000000.     "},
    {100000000000001.5, "   100000000000002.     "},
    {1000000000000000.5, "  1.000000000000000E+015"},
    {1000000000000001.5, "  1.000000000000002E+015"},
    {0x1p-24, "  5.960464477539062E-008"},  // 5.9604644775390625e-08
    // not numbers
    {std::numeric_limits<double>::infinity(), "                Infinity"},
    {-std::numeric_limits<double>::infinity(), "               -Infinity"},
    {std::numeric_limits<double>::quiet_NaN(), "                     NaN"},
};

TEST(RealForm, ExamplesByBothPaths)
{
    for (const Example& e : examples) {
        EXPECT_EQ(field(put_real_field, e.value), e.field) << "fast path, " << e.value;
        EXPECT_EQ(field(put_real_field_exact, e.value), e.field) << "exact path, " << e.value;
    }
}

// The fast path must agree with the exact one byte for byte.
void expect_same(double value)
{
    ASSERT_EQ(field(put_real_field, value), field(put_real_field_exact, value))
        << std::hexfloat << value << std::defaultfloat << " = " << value;
}

// The nearest double to a decimal text.
double parsed(const std::string& text)
{
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// The value, its two neighbours on either side, and their negatives.
void expect_same_around(double value)
{
    double v = std::nextafter(std::nextafter(value, 0.0), 0.0);
    for (int i = 0; i < 5; ++i, v = std::nextafter(v, 1e300)) {
        expect_same(v);
        expect_same(-v);
    }
}

TEST(RealForm, FastPathMatchesExactPathOnRandomValues)
{
    std::mt19937_64 random(20240611);
    // any bit pattern: every magnitude, subnormals, infinities, NaN
    for (int i = 0; i < 100'000; ++i)
        expect_same(std::bit_cast<double>(random()));
    // realistic grid values with full mantissas, around the range the fast path covers
    std::uniform_real_distribution<double> log_magnitude(-32, 42);
    for (int i = 0; i < 200'000; ++i)
        expect_same((i % 2 ? -1 : 1) * std::pow(10.0, log_magnitude(random)) / 3.0);
    // values as a CHGCAR holds them: 11 significant digits times a power of ten
    for (int i = 0; i < 200'000; ++i)
        expect_same(parsed("0." + std::to_string(10'000'000'000 + random() % 90'000'000'000) + "E"
                           + std::to_string(static_cast<int>(random() % 60) - 40)));
}

TEST(RealForm, FastPathMatchesExactPathOverTheIntegerProductRange)
{
    // The digits of values from about 2e-38 to 1e15 come from an exact
    // integer product, with a scale of one word down to about 1e-11 and of two
    // below: every binary exponent around that range, with full, short and
    // single-bit mantissas.
    std::mt19937_64 random(99);
    for (int e2 = -135; e2 <= 60; ++e2)
        for (int i = 0; i < 400; ++i) {
            const std::uint64_t mantissa = i % 4 == 0 ? 0 : i % 4 == 1 ? random() << 40 : random();
            const std::uint64_t bits = (static_cast<std::uint64_t>(e2 + 1023) << 52) | (mantissa & ((std::uint64_t{1} << 52) - 1));
            expect_same(std::bit_cast<double>(bits));
            expect_same(-std::bit_cast<double>(bits));
        }
    // whole numbers up to 2^57, and halves and quarters of them
    for (int i = 0; i < 100'000; ++i) {
        const auto whole = static_cast<double>(random() >> (7 + i % 50));
        expect_same(whole);
        expect_same(whole / 2);
        expect_same(whole / 4);
    }
}

TEST(RealForm, FastPathMatchesExactPathAtDecimalMidpoints)
{
    // Decimals of 16, 17 and 18 digits ending in 5: the ties of 15- and
    // 16-digit rounding, and the doubles on either side of them.
    std::mt19937_64 random(7);
    for (int i = 0; i < 30'000; ++i) {
        std::string text(1, static_cast<char>('1' + random() % 9));
        text += '.';
        for (int d = 0; d < 14 + i % 3; ++d)
            text += static_cast<char>('0' + random() % 10);
        const double v = parsed(text + "5e" + std::to_string(static_cast<int>(random() % 70) - 32));
        expect_same(v);
        expect_same(std::nextafter(v, 0.0));
        expect_same(std::nextafter(v, 1e300));
    }
    // the doubles around every power of ten
    for (int e = -330; e <= 308; ++e)
        expect_same_around(parsed("1e" + std::to_string(e)));
}

TEST(RealForm, FastPathMatchesExactPathAtTheEdgesOfItsCases)
{
    // Where the form changes, where the digits come from a two-word scale
    // (below about 1e-11), and the ends of the range the fast path takes
    // (2^-125 to 2^50).
    for (const double edge : {0.09999999999999995, 0.1, 999999999999999.5, 1e15, 1e14, 1.0, 1e-11, 1e-12, 0x1p-36,
                              0x1p-37, 0x1p-38, 0x1p-124, 0x1p-125, 0x1p-126, 0x1p50, 0x1p51, 0x1p49})
        expect_same_around(edge);
    // The midpoint below each power of ten of the fast range, for 16 digits of
    // exponent form and 15 of fixed form: from the midpoint on, a value is
    // written with the exponent of that power.
    for (int e = -37; e <= 16; ++e)
        for (const std::string nines : {"9.9999999999999995e", "9.999999999999995e"})
            expect_same_around(parsed(nines + std::to_string(e - 1)));
}

TEST(RealForm, ExactTiesRoundToEven)
{
    // 16-digit ties of exponent form: m * 2^(e - 16) for odd m, which has 17
    // significant digits ending in 5; from e = -8 down, no double is one.
    for (int e = -8; e <= -2; ++e) {
        const double unit = std::ldexp(1.0, e - 16);
        const auto first = static_cast<std::int64_t>(std::ceil(std::pow(10.0, e) / unit)) | 1;
        const auto last = (static_cast<std::int64_t>(std::ceil(std::pow(10.0, e + 1) / unit)) - 2) | 1;
        for (std::int64_t m = first; m <= last && m < first + 400; m += 2)
            expect_same(static_cast<double>(m) * unit);
        for (std::int64_t m = last; m >= first && m > last - 400; m -= 2)
            expect_same(static_cast<double>(m) * unit);
    }
    // 15-digit ties of fixed form: the 15-digit whole numbers and a half, and
    // 16-digit ones of exponent form from 1e15 on.
    std::mt19937_64 random(5);
    for (int i = 0; i < 2000; ++i) {
        expect_same(100'000'000'000'000.5 + i);
        expect_same(999'999'999'999'999.5 - i);
        expect_same(100'000'000'000'000.5 + static_cast<double>(random() % 900'000'000'000'000));
        expect_same(1'000'000'000'000'000.5 + i);
    }
}

}  // namespace
}  // namespace voxmill
