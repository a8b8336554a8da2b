// The two stages of a pipelined loop: order, the two pieces in hand at most,
// and a failure of either stage reaching the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <vector>

#include "system/pipelined.hpp"

namespace voxmill {
namespace {

TEST(Pipelined, EveryPieceMadeThenUsedInOrderWithTwoInHandAtMost)
{
    struct Case {
        std::size_t count;
        std::optional<std::size_t> produce_fails, consume_fails;  // at this piece
        std::size_t consumed;  // pieces consumed in the end; at most, where a piece was never made
    };
    for (const Case& c : std::vector<Case>{
             {0, {}, {}, 0}, {1, {}, {}, 1}, {50, {}, {}, 50}, {50, 0, {}, 0}, {50, 7, {}, 7}, {50, {}, 0, 0},
             {50, {}, 7, 7}, {50, 49, {}, 49}}) {
        std::atomic<std::size_t> made = 0, used = 0;
        std::vector<std::size_t> order;
        bool in_hand_ok = true;
        const auto run = [&] {
            pipelined(
                c.count,
                [&](std::size_t n) {
                    // Piece n may reuse the buffer of piece n - 2, which must be used by now.
                    in_hand_ok = in_hand_ok && n == made && n < used + 2;
                    if (n == c.produce_fails) throw std::runtime_error("made");
                    made = n + 1;
                },
                [&](std::size_t n) {
                    in_hand_ok = in_hand_ok && n < made;
                    if (n == c.consume_fails) throw std::runtime_error("used");
                    order.push_back(n);
                    used = n + 1;
                });
        };
        const std::string label = "count " + std::to_string(c.count);
        if (c.produce_fails || c.consume_fails)
            EXPECT_THROW(run(), std::runtime_error) << label;
        else
            EXPECT_NO_THROW(run()) << label;
        if (c.produce_fails)
            EXPECT_LE(order.size(), c.consumed) << label;
        else
            EXPECT_EQ(order.size(), c.consumed) << label;
        for (std::size_t n = 0; n < order.size(); ++n) EXPECT_EQ(order[n], n) << label;
        EXPECT_TRUE(in_hand_ok) << label;
    }
}

}  // namespace
}  // namespace voxmill
