// Fixed-width fields by their edit descriptors; the 24-column real field by both
// paths, the fast one against the exact one wherever its cases meet, and the
// free-form records of such fields; result files, which replace the file of
// their name only when they are committed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "support/scratch.hpp"
#include "text/fixed_fields.hpp"
#include "text/free_form_writer.hpp"
#include "text/output_file.hpp"
#include "text/real_form.hpp"

namespace voxmill::testing {
namespace {

using fields::fixed_field, fields::integer_field, fields::text_field;
constexpr double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();

std::string field(char* (*put)(char*, double) noexcept, double value)
{
    char out[real_field_width];
    EXPECT_EQ(put(out, value), out + real_field_width);
    return std::string(out, real_field_width);
}

TEST(FixedFields, TextsIntegersAndReals)
{
    // Aw right-justified or cut, trailing blanks being characters; Iw, or w asterisks
    std::string texts, integers;
    for (const auto& [text, w] : {std::pair<std::string_view, int>{"Fe", 5}, {"Carbon", 5}, {"#Si bulk  ", 10}, {"", 3}})
        text_field(texts, text, w);
    EXPECT_EQ(texts, "   FeCarbo#Si bulk     ");
    for (const long long value : {1000LL, -5LL, 0LL, -100LL, -99LL, 2147483647LL}) integer_field(integers, value, value > 1000 ? 10 : 3);
    EXPECT_EQ(integers, "*** -5  0***-992147483647");
    // Fw.d, rounded from the exact binary value
    const std::tuple<double, int, int, std::string_view> reals[] = {  // a value, w, d, its field
        {1.0, 12, 8, "  1.00000000"}, {-0.25, 12, 6, "   -0.250000"}, {0.1234, 8, 3, "   0.123"}, {1234.5678, 8, 3, "1234.568"},
        {-0.0000004, 12, 6, "   -0.000000"}, {-0.0, 12, 6, "   -0.000000"},  // rounds to zero, keeps its sign
        {12345.678, 8, 3, "********"}, {1e300, 8, 3, "********"}, {9999.9996, 8, 3, "********"},  // 10000.000 is 9 wide
        {0.5, 4, 3, ".500"}, {-0.5, 5, 3, "-.500"}, {0.5, 3, 3, "***"},  // one column short: the zero goes
        {0.9995, 5, 3, "1.000"}, {0.9995, 4, 3, "****"},                // 0.99950000000000005... in binary
        {2.675, 5, 2, " 2.67"},                                          // 2.67499999999999982... in binary
        {-0.0005, 6, 3, "-0.001"}, {7.0, 5, 0, "   7."}, {-2.5, 4, 0, " -2."}, {0.3, 2, 0, "0."}, {0.3, 1, 0, "*"},
        {inf, 8, 3, "Infinity"}, {inf, 7, 3, "    Inf"}, {inf, 3, 3, "Inf"}, {inf, 2, 3, "**"}, {-inf, 9, 3, "-Infinity"},
        {-inf, 8, 3, "    -Inf"}, {-inf, 4, 3, "-Inf"}, {-inf, 3, 3, "***"}, {nan, 12, 3, "         NaN"}, {nan, 3, 3, "NaN"},
        {nan, 2, 3, "**"},
    };
    for (const auto& [value, w, d, expected] : reals) {
        std::string record;
        fixed_field(record, value, w, d);
        EXPECT_EQ(record, expected) << "F" << w << "." << d << " of " << value;
    }
}

TEST(RealForm, ExamplesByBothPaths)
{
    constexpr double max = std::numeric_limits<double>::max();
    const std::pair<double, std::string_view> examples[] = {
        // fixed form, F19.(15-s) and 5 blanks, from 0.1 - 0.5e-16 to below 1e15 - 0.5; exponent form
        {1.0, "   1.00000000000000     "}, {-0.5, " -0.500000000000000     "}, {1.0 / 3, "  0.333333333333333     "},
        {0.3 - 0.1, "  0.200000000000000     "}, {999999999999999.0, "   999999999999999.     "},
        {0.1, "  0.100000000000000     "}, {0.09999999999999995, "  0.100000000000000     "},
        {0.09999999999999994, "  9.999999999999994E-002"}, {999999999999999.375, "   999999999999999.     "},
        {999999999999999.5, "  9.999999999999995E+014"}, {9.9999999999999999e14, "  1.000000000000000E+015"},
        {std::nextafter(10.0, 0.0), "   10.0000000000000     "}, {std::nextafter(0.01, 0.0), "  9.999999999999998E-003"},
        {0.0123, "  1.230000000000000E-002"}, {0.0, "  0.000000000000000E+000"}, {-0.0, " -0.000000000000000E+000"},
        {-2.5e-7, " -2.500000000000000E-007"}, {1.0 / 300, "  3.333333333333334E-003"}, {1e-6, "  1.000000000000000E-006"},
        {1e-300, "  1.000000000000000E-300"}, {5e-324, "  4.940656458412465E-324"}, {max, "  1.797693134862316E+308"},
        // exact decimal ties, rounded to even
        {100000000000000.5, "   100000000000000.     "}, {100000000000001.5, "   100000000000002.     "},
        {1000000000000000.5, "  1.000000000000000E+015"}, {1000000000000001.5, "  1.000000000000002E+015"},
        {0x1p-24, "  5.960464477539062E-008"}, {inf, "                Infinity"}, {-inf, "               -Infinity"},
        {nan, "                     NaN"},
    };
    for (const auto& [value, expected] : examples) {
        EXPECT_EQ(field(put_real_field, value), expected) << "fast path, " << value;
        EXPECT_EQ(field(put_real_field_exact, value), expected) << "exact path, " << value;
    }
}

TEST(RealForm, FastPathMatchesExactPath)
{
    int failures = 0;
    const auto same = [&](double value) {
        for (const double v : {value, -value}) {
            const std::string fast = field(put_real_field, v), exact = field(put_real_field_exact, v);
            if (fast != exact && ++failures < 10)
                ADD_FAILURE() << std::hexfloat << v << std::defaultfloat << " = " << v << ": \"" << fast << "\", not \"" << exact << '"';
        }
    };
    const auto around = [&](double value) {  // and two neighbours on either side
        double v = std::nextafter(std::nextafter(value, 0.0), 0.0);
        for (int i = 0; i < 5; ++i, v = std::nextafter(v, 1e300)) same(v);
    };
    const auto parsed = [](const std::string& text) { return std::strtod(text.c_str(), nullptr); };
    std::mt19937_64 random(20240611);
    // Any bit pattern; full mantissas around the fast range; values as a CHGCAR holds them.
    std::uniform_real_distribution<double> log_magnitude(-32, 42);
    for (int i = 0; i < 200'000; ++i) {
        same(std::bit_cast<double>(random()));
        same(std::pow(10.0, log_magnitude(random)) / 3.0);
        same(parsed("0." + std::to_string(10'000'000'000 + random() % 90'000'000'000) + "E" + std::to_string(int(random() % 60) - 40)));
    }
    // Every binary exponent around the integer products, whose scales have one
    // word down to about 1e-11 and two below, with full, short and one-bit mantissas.
    for (int e2 = -135; e2 <= 60; ++e2)
        for (int i = 0; i < 400; ++i)
            same(std::bit_cast<double>(std::uint64_t(e2 + 1023) << 52 | (i % 4 == 0 ? 0 : i % 4 == 1 ? random() << 40 : random()) >> 12));
    // Decimals of 16 to 18 digits ending in 5, the ties of 15 and 16 digits, and their neighbours.
    for (int i = 0; i < 30'000; ++i) {
        std::string text = std::to_string(1 + random() % 9) + ".";
        for (int d = 0; d < 14 + i % 3; ++d) text += static_cast<char>('0' + random() % 10);
        around(parsed(text + "5e" + std::to_string(static_cast<int>(random() % 70) - 32)));
    }
    // Every power of ten; the midpoints from which a value takes the exponent
    // of the power above; the edges of the forms, of the two-word scales and of the fast range.
    for (int e = -330; e <= 308; ++e) around(parsed("1e" + std::to_string(e)));
    for (int e = -38; e <= 15; ++e)
        for (const std::string nines : {"9.9999999999999995e", "9.999999999999995e"}) around(parsed(nines + std::to_string(e)));
    for (const double edge : {0.09999999999999995, 0.1, 999999999999999.5, 1e15, 1e14, 1.0, 1e-11, 1e-12, 0x1p-36, 0x1p-37,
                              0x1p-38, 0x1p-124, 0x1p-125, 0x1p-126, 0x1p50, 0x1p51, 0x1p49})
        around(edge);
    // Exact ties: 16 digits of exponent form, m * 2^(e - 16) for odd m, and 15
    // of fixed form, whole numbers and a half.
    for (int e = -8; e <= -2; ++e) {
        const double unit = std::ldexp(1.0, e - 16);
        const auto first = std::int64_t(std::ceil(std::pow(10.0, e) / unit)) | 1;
        const auto last = (std::int64_t(std::ceil(std::pow(10.0, e + 1) / unit)) - 2) | 1;
        for (std::int64_t m = 0; m < 800; m += 2) same(double(m < 400 ? first + m : last - m + 400) * unit);
    }
    for (int i = 0; i < 2000; ++i)
        for (const double tie : {1e14 + 0.5 + i, 1e15 - 0.5 - i, 1e15 + 0.5 + i, 1e14 + 0.5 + double(random() % 900'000'000'000'000)})
            same(tie);
}

TEST(RealRecords, ThreeFieldsARecordTheRestInTheLast)
{
    // Counts around whole records and the blocks of records divided at once;
    // zeros and huge values in each place of a record send it from the fast
    // path to the plain one. 27.75 / 1080.4331 is not 27.75 * (1 / 1080.4331).
    for (const double divisor : {1.0, 1080.4331})
        for (const std::size_t count : {1u, 2u, 3u, 4u, 47u, 48u, 49u, 50u, 95u, 96u, 97u, 161u}) {
            std::vector<double> values;
            std::string expected;
            for (std::size_t i = 0; i < count; ++i) {
                values.push_back(i == 0 ? 27.75 : i % 17 == 0 ? 0.0 : i % 29 == 0 ? 1e300 : (i % 2 ? -1.0 : 1.0) * double(i * i * i) / 7);
                expected += field(put_real_field_exact, values.back() / divisor) + (i % 3 == 2 || i + 1 == count ? "\n" : "");
            }
            std::string out(real_records_size(count), '?');
            EXPECT_EQ(put_real_records(out.data(), values.data(), count, divisor), out.data() + out.size()) << count;
            EXPECT_EQ(out, expected) << count << " values / " << divisor;
        }
    EXPECT_EQ(real_records_size(0), 0u);
}

TEST(OutputFile, ReplacesTheFileOnlyOnCommitAndLeavesNothingElse)
{
    ScratchDir dir;
    const std::string path = (dir.path() / "CHGDEN.xsf").string();
    dir.write("CHGDEN.xsf", "old\n");
    const mode_t mask = ::umask(027);
    for (const bool commit : {false, true}) {
        std::string written;
        {
            // more than the buffer holds: small writes, a large one and reserved room
            OutputFile file(path);
            for (int i = 0; i < 100'000; ++i) {
                const std::string record = "record " + std::to_string(i) + "\n";
                file.write(record);
                written += record;
            }
            written += std::string(3 << 20, 'x');
            file.write(std::string_view(written).substr(written.size() - (3 << 20)));
            file.advance(std::copy_n("tail\n", 5, file.reserve(5)));
            written += "tail\n";
            EXPECT_EQ(dir.read("CHGDEN.xsf"), "old\n");
            if (commit) file.commit();
        }
        EXPECT_TRUE(dir.read("CHGDEN.xsf") == (commit ? written : "old\n")) << (commit ? "committed" : "not committed");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1) << "a temporary file left";
    }
    ::umask(mask);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));  // a new file's
    const std::string nowhere = (dir.path() / "missing" / "CHGDEN.xsf").string();
    EXPECT_EQ(failure_of([&] { OutputFile{nowhere}; }), "cannot write " + nowhere + ": " + std::strerror(ENOENT));
}

}  // namespace
}  // namespace voxmill::testing
