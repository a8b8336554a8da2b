// Tick values and their texts, the numbers every axis shows.
#include <gtest/gtest.h>

#include "picture/axes.hpp"

namespace voxmill::picture {
namespace {

TEST(Ticks, RoundStepsInsideTheRange)
{
    const struct {
        Range range;
        int count;
        std::vector<double> ticks;
    } cases[] = {
        {{0, 19.5}, 8, {0, 2, 4, 6, 8, 10, 12, 14, 16, 18}},
        {{-5.2, 4.6}, 6, {-4, -2, 0, 2, 4}},
        {{-0.013, 0.227}, 6, {0, 0.05, 0.1, 0.15, 0.2}},
        {{1, 1}, 6, {}},
        {{1e5, 1e5 + 1e-12}, 6, {}},  // too narrow for its digits
        {widened({4, 4}, 0.06), 6, {3.6, 3.8, 4, 4.2, 4.4}},
    };
    for (const auto& [range, count, expected] : cases) {
        const std::vector<double> values = ticks(range, count);
        ASSERT_EQ(values.size(), expected.size()) << range.low << " " << range.high;
        for (std::size_t n = 0; n < values.size(); ++n) EXPECT_NEAR(values[n], expected[n], 1e-12);
    }
}

TEST(Ticks, TextsWithTheDecimalsOfTheStep)
{
    const struct {
        double value, step;
        std::string text;
    } cases[] = {
        {10, 2, "10"}, {-4, 2, "\u22124"}, {0.15, 0.05, "0.15"}, {-1e-17, 0.05, "0.00"}, {2.5, 0.5, "2.5"},
    };
    for (const auto& [value, step, text] : cases) EXPECT_EQ(tick_text(value, step), text) << value;
}

}  // namespace
}  // namespace voxmill::picture
