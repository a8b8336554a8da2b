#include "output/fixed_fields.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace voxmill::fields {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(FixedFields, TextIsRightJustifiedOrCut)
{
    struct Case { std::string_view text; int w; std::string_view field; };
    const Case cases[] = {
        {"Fe", 5, "   Fe"}, {"Carbon", 5, "Carbo"}, {"Si", 2, "Si"},
        {"#Si bulk  ", 10, "#Si bulk  "},  // trailing blanks count as characters
        {"", 3, "   "},
    };
    for (const Case& c : cases) {
        std::string record = "|";
        text(record, c.text, c.w);
        EXPECT_EQ(record, "|" + std::string(c.field)) << "A" << c.w << " of \"" << c.text << "\"";
    }
}

TEST(FixedFields, IntegersAndBlanks)
{
    struct Case { long long value; int w; std::string_view field; };
    const Case cases[] = {
        {1000, 3, "***"}, {-5, 3, " -5"}, {0, 3, "  0"}, {-100, 3, "***"}, {-99, 3, "-99"},
        {123456, 6, "123456"}, {60, 5, "   60"},
        {12, 0, "12"}, {-7, 0, "-7"}, {0, 0, "0"},  // I0
    };
    for (const Case& c : cases) {
        std::string record;
        integer(record, c.value, c.w);
        EXPECT_EQ(record, c.field) << "I" << c.w << " of " << c.value;
    }
    std::string record = "a";
    integer(record, 2147483647);
    blanks(record, 3);
    EXPECT_EQ(record, "a2147483647   ");
}

TEST(FixedFields, RealsRoundFromTheBinaryValue)
{
    struct Case { double value; int w; int d; std::string_view field; };
    const Case cases[] = {
        {1.0, 12, 8, "  1.00000000"}, {-0.25, 12, 6, "   -0.250000"}, {0.1234, 8, 3, "   0.123"},
        {1234.5678, 8, 3, "1234.568"},
        {-0.0000004, 12, 6, "   -0.000000"}, {-0.0, 12, 6, "   -0.000000"},  // rounds to zero, keeps its sign
        {12345.678, 8, 3, "********"}, {1e300, 8, 3, "********"},
        {9999.9996, 8, 3, "********"},  // rounds up to 10000.000, 9 characters
        {0.5, 4, 3, ".500"}, {-0.5, 5, 3, "-.500"}, {0.5, 3, 3, "***"},  // one column short: the zero goes
        {0.9995, 5, 3, "1.000"},  // 0.99950000000000005... in binary
        {0.9995, 4, 3, "****"},   // no zero to leave out once it rounds to 1
        {2.675, 5, 2, " 2.67"},   // 2.67499999999999982... in binary
        {-0.0005, 6, 3, "-0.001"},
        {7.0, 5, 0, "   7."}, {-2.5, 4, 0, " -2."},
        {0.3, 2, 0, "0."}, {0.3, 1, 0, "*"},  // with d = 0 the zero is always written
        // infinities and NaN shorten with the width
        {inf, 8, 3, "Infinity"}, {inf, 7, 3, "    Inf"}, {inf, 3, 3, "Inf"}, {inf, 2, 3, "**"},
        {-inf, 9, 3, "-Infinity"}, {-inf, 8, 3, "    -Inf"}, {-inf, 4, 3, "-Inf"}, {-inf, 3, 3, "***"},
        {nan, 12, 3, "         NaN"}, {nan, 3, 3, "NaN"}, {nan, 2, 3, "**"},
    };
    for (const Case& c : cases) {
        std::string record;
        fixed(record, c.value, c.w, c.d);
        EXPECT_EQ(record, c.field) << "F" << c.w << "." << c.d << " of " << c.value;
    }
    std::string record;
    EXPECT_THROW(fixed(record, 1.0, 80, max_decimals + 1), std::invalid_argument);
}

}  // namespace
}  // namespace voxmill::fields
