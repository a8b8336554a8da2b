#include "plane_sums.hpp"

#include <array>

namespace voxmill {

namespace {

// Adds to sums[r], for each r below `count`, the `length` values from
// first + r stride on: up to four sums side by side, each still in file
// order, so that the additions of one need not wait for those of another.
template <std::size_t count>
void add_strands(const double* first, std::size_t length, std::size_t stride, double* sums)
{
    std::array<double, count> strand;  // in registers: the stores into sums cannot touch the values
    for (std::size_t r = 0; r < count; ++r) strand[r] = sums[r];
    for (std::size_t i = 0; i < length; ++i)
        for (std::size_t r = 0; r < count; ++r) strand[r] += first[r * stride + i];
    for (std::size_t r = 0; r < count; ++r) sums[r] = strand[r];
}

// The same for any number of strands, four at a time.
void add_strands(const double* first, std::size_t length, std::size_t stride, std::size_t count, double* sums)
{
    for (; count >= 4; count -= 4, first += 4 * stride, sums += 4) add_strands<4>(first, length, stride, sums);
    switch (count) {
    case 3: add_strands<3>(first, length, stride, sums); break;
    case 2: add_strands<2>(first, length, stride, sums); break;
    case 1: add_strands<1>(first, length, stride, sums); break;
    default: break;
    }
}

}  // namespace

PlaneSums::PlaneSums(const GridExtents& extents, int axis)
    : extents_(extents), axis_(axis), sums_(static_cast<std::size_t>(extents[static_cast<std::size_t>(axis)]), 0.0)
{
}

std::size_t PlaneSums::points_per_plane() const { return point_count(extents_) / sums_.size(); }

void PlaneSums::add(std::span<const double> planes)
{
    const auto NX = static_cast<std::size_t>(extents_[0]), NY = static_cast<std::size_t>(extents_[1]);
    const std::size_t plane = NX * NY, count = planes.size() / plane;
    switch (axis_) {
    case 0:
        for (std::size_t row = 0; row < planes.size(); row += NX)
            for (std::size_t i = 0; i < NX; ++i) sums_[i] += planes[row + i];
        break;
    case 1:
        for (std::size_t k = 0; k < count; ++k) add_strands(planes.data() + k * plane, NX, NX, NY, sums_.data());
        break;
    default: add_strands(planes.data(), plane, plane, count, sums_.data() + next_k_); break;
    }
    next_k_ += count;
}

}  // namespace voxmill
