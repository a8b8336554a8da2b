// The E13.5 field of cube files by both paths, the fast one against the exact one wherever their cases meet, and
// the records of a run of such fields.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "text/exponent_field.hpp"

namespace voxmill::testing {
namespace {

std::string field(char* (*put)(char*, double) noexcept, double value)
{
    char out[exponent_field_width];
    return {out, static_cast<std::size_t>(put(out, value) - out)};
}

TEST(ExponentField, ExamplesByBothPaths)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, std::string_view> examples[] = {
        {0.0123, "  0.12300E-01"}, {-1.0, " -0.10000E+01"}, {0.0, "  0.00000E+00"}, {-0.0, " -0.00000E+00"},
        {1.0 / 3, "  0.33333E+00"}, {99999.5, "  0.10000E+06"}, {0.9999949999, "  0.99999E+00"},
        {0.999995, "  0.99999E+00"},  // just below 0.999995 in binary
        {12345.5, "  0.12346E+05"}, {12344.5, "  0.12344E+05"},  // exact ties, to even
        {16383.99, "  0.16384E+05"}, {16384.0, "  0.16384E+05"}, {1e-45, "  0.10000E-44"}, {1e-100, "  0.10000E-99"},
        {-1e-101, " -0.10000-100"}, {1e300, "  0.10000+301"}, {5e-324, "  0.49407-323"}, {inf, "     Infinity"},
        {-inf, "    -Infinity"}, {std::nan(""), "          NaN"},
    };
    for (const auto& [value, expected] : examples)
        for (const auto put : {put_exponent_field, put_exponent_field_exact})
            EXPECT_EQ(field(put, value), expected) << (put == put_exponent_field ? "fast" : "exact") << " path, " << value;
}

TEST(ExponentField, FastPathMatchesExactPath)
{
    int failures = 0;
    const auto same = [&](double value) {
        for (const double v : {value, -value}) {
            const std::string fast = field(put_exponent_field, v), exact = field(put_exponent_field_exact, v);
            if (fast != exact && ++failures < 10) ADD_FAILURE() << std::hexfloat << v << ": \"" << fast << "\", not \"" << exact << '"';
        }
    };
    const auto parsed = [](const std::string& text) { return std::strtod(text.c_str(), nullptr); };
    std::mt19937_64 random(20261207);
    // Any bit pattern; every binary exponent of the fast range and beyond it with full, short and one-bit mantissas;
    // decimals of six digits ending in 5 (the ties of five digits and the values next to them); powers of ten.
    for (int i = 0; i < 300'000; ++i) same(std::bit_cast<double>(random()));
    for (int e2 = -155; e2 <= 16; ++e2)
        for (int i = 0; i < 600; ++i)
            same(std::bit_cast<double>(std::uint64_t(e2 + 1023) << 52 | (i % 4 == 0 ? 0 : i % 4 == 1 ? random() << 40 : random()) >> 12));
    for (int i = 0; i < 200'000; ++i) {
        const double tie = parsed(std::to_string(100'000 + random() % 900'000) + "5e" + std::to_string(int(random() % 56) - 51));
        for (const double v : {std::nextafter(tie, 0.0), tie, std::nextafter(tie, 1e300)}) same(v);
    }
    for (int e = -330; e <= 308; ++e) same(parsed("1e" + std::to_string(e)));
}

TEST(ExponentRecords, SixFieldsARecordTheRestInTheLast)
{
    for (const std::size_t count : {1u, 5u, 6u, 7u, 12u, 13u}) {
        std::vector<double> values;
        std::string expected;
        for (std::size_t i = 0; i < count; ++i) {
            values.push_back(i % 5 == 4 ? 1e300 : double(i) / 7);
            expected += field(put_exponent_field_exact, values.back()) + (i % 6 == 5 || i + 1 == count ? "\n" : "");
        }
        std::string out(exponent_records_size(count), '?');
        EXPECT_EQ(put_exponent_records(out.data(), values.data(), count), out.data() + out.size()) << count;
        EXPECT_EQ(out, expected) << count;
    }
    EXPECT_EQ(exponent_records_size(0), 0u);
}

}  // namespace
}  // namespace voxmill::testing
