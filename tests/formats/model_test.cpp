// Grids start as zeros, whether from the heap or mapped by themselves, and
// hold what is stored in them.
#include "model.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace voxmill {
namespace {

TEST(DensityGrid, StartsAsZerosAndKeepsItsValues)
{
    for (const GridExtents& extents : {GridExtents{2, 1, 1}, GridExtents{128, 64, 64}, GridExtents{0, 5, 5}}) {
        DensityGrid grid(extents);
        ASSERT_EQ(grid.size(), point_count(extents));
        for (std::size_t p = 0; p < grid.size(); ++p) ASSERT_EQ(grid[p], 0.0) << extents[0] << ", point " << p;
        for (std::size_t p = 0; p < grid.size(); ++p) grid[p] = static_cast<double>(p);
        for (std::size_t p = 0; p < grid.size(); ++p) ASSERT_EQ(grid[p], static_cast<double>(p));
    }
    EXPECT_EQ(point_count({0, 5, 5}), 0u);
    EXPECT_EQ(point_count({2100000000, 2100000000, 2100000000}), std::numeric_limits<std::size_t>::max());
    EXPECT_THROW(DensityGrid({2100000000, 2100000000, 2100000000}), std::bad_alloc);
}

}  // namespace
}  // namespace voxmill
