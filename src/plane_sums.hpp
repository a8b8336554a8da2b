// The sums behind a plane profile, gathered as a grid is read.
#pragma once

#include <span>
#include <vector>

#include "model.hpp"

namespace voxmill {

// The sum of the values of each grid plane normal to lattice vector `axis`
// (0, 1, 2: the planes of constant i, j or k), each plane summed point by
// point in file order. Fed front to back with whole planes of constant k, in
// pieces as a reader takes them, or with a whole grid at once.
class PlaneSums {
public:
    PlaneSums(const GridExtents& extents, int axis);

    // Adds the planes of constant k that follow those added so far: a whole
    // number of them, within the grid.
    void add(std::span<const double> planes);

    int axis() const { return axis_; }
    // One sum for each plane along the axis, from the first.
    const std::vector<double>& sums() const { return sums_; }
    // The grid points of each plane.
    std::size_t points_per_plane() const;

private:
    GridExtents extents_;
    int axis_;
    std::vector<double> sums_;
    std::size_t next_k_ = 0;
};

}  // namespace voxmill
