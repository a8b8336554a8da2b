// DensityGrid storage: small grids come from the heap, large ones are mapped by
// themselves; both must start as zeros (a non-spin-polarised file's spin grid
// is never written) and hold what is stored in them.
#include <gtest/gtest.h>

#include "input/model.hpp"

namespace voxmill {
namespace {

TEST(DensityGrid, StartsAsZerosAndKeepsItsValues)
{
    const GridExtents cases[] = {{2, 1, 1}, {60, 60, 60}, {128, 64, 64}, {0, 5, 5}};
    for (const GridExtents& extents : cases) {
        DensityGrid grid(extents);
        ASSERT_EQ(grid.size(), point_count(extents));
        for (std::size_t p = 0; p < grid.size(); ++p) ASSERT_EQ(grid[p], 0.0) << extents[0] << " point " << p;
        for (std::size_t p = 0; p < grid.size(); ++p) grid[p] = static_cast<double>(p);
        for (std::size_t p = 0; p < grid.size(); ++p) ASSERT_EQ(grid[p], static_cast<double>(p));
    }
}

}  // namespace
}  // namespace voxmill
