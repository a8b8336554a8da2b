// Fixed-width fields by their edit descriptors.
#include "text/fixed_fields.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace voxmill::fields {
namespace {

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
    constexpr double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double value;
        int w, d;
        std::string_view field;
    } reals[] = {
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
    for (const auto& c : reals) {
        std::string record;
        fixed_field(record, c.value, c.w, c.d);
        EXPECT_EQ(record, c.field) << "F" << c.w << "." << c.d << " of " << c.value;
    }
}

}  // namespace
}  // namespace voxmill::fields
