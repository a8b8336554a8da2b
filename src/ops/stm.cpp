#include "ops/stm.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "ops/interpolation.hpp"
#include "system/failure.hpp"
#include "text/formatted.hpp"

namespace voxmill {

namespace {

// Bisections of a crossing within an eighth of a grid step along a3: to a
// billionth of the step, far below the error of the interpolation.
constexpr int bisections = 27;
// Samples of each grid step along a3 searched for a crossing.
constexpr int samples_per_step = 8;
// The tricubic value is a sum of 64 grid values whose weights add up to at most
// 1.25 along each axis: never more than 1.25^3 times the largest of them.
constexpr double overshoot = 1.25 * 1.25 * 1.25;

// The mesh over the surface, at the grid's finer step within it by default.
PlaneMap surface_mesh(const Cell& cell, const DensityGrid& grid, const MeshSettings& settings)
{
    const double step = std::min(length(cell.a[0]) / grid.extents()[0], length(cell.a[1]) / grid.extents()[1]);
    PlaneMap map = lay_out_mesh(surface_frame(cell), settings, step);
    map.values.resize(static_cast<std::size_t>(map.columns) * static_cast<std::size_t>(map.rows));
    return map;
}

// The fractional position in the surface (along a1 and a2) of each mesh point, in order.
template <typename Sample>
void for_each_point(const Cell& cell, PlaneMap& map, Sample&& sample)
{
    const PlaneFrame frame = surface_frame(cell);
    std::size_t point = 0;
    for (int row = 0; row < map.rows; ++row)
        for (int column = 0; column < map.columns; ++column) {
            const Vector3 f = to_fractional(cell, mesh_point(frame, map, column, row));
            map.values[point++] = sample(f[0], f[1]);
        }
}

}  // namespace

SlabTop slab_top(const StructureHeader& header)
{
    if (header.NATOMS < 1) refuse("the file holds no atoms, so the top of its slab is not known");
    const auto count = static_cast<std::size_t>(header.NATOMS);
    std::vector<double> c(count);
    for (std::size_t n = 0; n < count; ++n) c[n] = header.COORD[n][2] - std::floor(header.COORD[n][2]);
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::ranges::stable_sort(order, {}, [&](std::size_t n) { return c[n]; });
    SlabTop top{};
    for (std::size_t n = 0; n < count; ++n) {
        const double above = n + 1 < count ? c[order[n + 1]] : c[order[0]] + 1.0;
        if (above - c[order[n]] > top.gap) top = {static_cast<int>(order[n]) + 1, c[order[n]], above - c[order[n]], 0};
    }
    const Cell cell = cartesian_cell(header);
    top.layer_height = std::abs(cell.volume) / length(cross(cell.a[0], cell.a[1]));
    return top;
}

PlaneFrame surface_frame(const Cell& cell)
{
    return plane_frame({0, 0, 0}, cross(cell.a[0], cell.a[1]), cell.a[0], {cell.a[0], cell.a[1]});
}

PlaneMap constant_height_image(const StructureHeader& header, const DensityGrid& grid, const MeshSettings& settings,
                               double height, double divisor)
{
    const SlabTop top = slab_top(header);
    const double vacuum = top.gap * top.layer_height;
    if (height >= vacuum)
        refuse("a height of " + angstrom_text(height) + " above the top atom lies beyond the vacuum, which is "
               + angstrom_text(vacuum) + " wide");
    const Cell cell = cartesian_cell(header);
    PlaneMap map = surface_mesh(cell, grid, settings);
    const double c = top.c + height / top.layer_height;
    for_each_point(cell, map, [&](double u, double v) { return tricubic_value(grid, {u, v, c}) / divisor; });
    return map;
}

PlaneMap constant_current_image(const StructureHeader& header, const DensityGrid& grid, const MeshSettings& settings,
                                double isovalue, double divisor)
{
    if (!(isovalue > 0)) refuse("the isovalue of a constant-current image must be a positive density");
    const SlabTop top = slab_top(header);
    const int N = grid.extents()[2];
    const double level = isovalue * divisor;  // in the grid's own units
    const std::string isovalue_text = formatted("the isovalue of %.4g e/A^3", isovalue);
    const auto wrapped = [N](long k) { return static_cast<int>(((k % N) + N) % N); };

    // Along a3 in grid steps: from the middle of the vacuum down one whole period.
    const double start = (top.c + top.gap / 2) * N;
    const double end = start - N;
    // The largest magnitude on a grid plane, found when first asked for: steps
    // whose four planes all stay below the level divided by the overshoot
    // cannot reach it.
    const std::size_t plane_size = grid.size() / static_cast<std::size_t>(N);
    std::vector<double> largest(static_cast<std::size_t>(N), -1.0);
    const auto largest_on = [&](int k) {
        double& most = largest[static_cast<std::size_t>(k)];
        if (most < 0) {
            const double* plane = grid.data() + static_cast<std::size_t>(k) * plane_size;
            most = 0;
            for (std::size_t p = 0; p < plane_size; ++p) most = std::max(most, std::abs(plane[p]));
        }
        return most;
    };
    const auto may_reach = [&](long K) {
        double most = 0;
        for (long m = -1; m <= 2; ++m) most = std::max(most, largest_on(wrapped(K + m)));
        return overshoot * most >= level;
    };
    auto first_step = static_cast<long>(std::floor(start));
    const auto last_step = static_cast<long>(std::floor(end));
    while (first_step >= last_step && !may_reach(first_step)) --first_step;
    if (first_step < last_step) {
        double most = 0;
        for (int k = 0; k < N; ++k) most = std::max(most, largest_on(k));
        refuse("the density never reaches " + isovalue_text + " along a3: it is at most "
               + formatted("%.4g e/A^3", most / divisor) + "; choose a smaller one");
    }

    const Cell cell = cartesian_cell(header);
    PlaneMap map = surface_mesh(cell, grid, settings);
    for_each_point(cell, map, [&](double u, double v) {
        const CubicStencil x = cubic_stencil(u, grid.extents()[0]);
        const CubicStencil y = cubic_stencil(v, grid.extents()[1]);
        // The bicubic values of the four planes about step K, K - 1 to K + 2.
        std::array<double, 4> column{};
        for (long m = 0; m < 4; ++m)
            column[static_cast<std::size_t>(m)] = plane_value(grid, wrapped(first_step + m - 1), x, y);
        for (long K = first_step; K >= last_step; --K) {
            if (K < first_step) {
                std::copy_backward(column.begin(), column.end() - 1, column.end());
                column[0] = plane_value(grid, wrapped(K - 1), x, y);
            }
            // The Catmull-Rom cubic through the four planes as a polynomial in t, from plane K at t = 0.
            const double c0 = column[1], c1 = 0.5 * (column[2] - column[0]);
            const double c2 = column[0] - 2.5 * column[1] + 2 * column[2] - 0.5 * column[3];
            const double c3 = 0.5 * (column[3] - column[0]) + 1.5 * (column[1] - column[2]);
            const auto value = [&](double t) { return ((c3 * t + c2) * t + c1) * t + c0; };
            const double high = std::min(1.0, start - K);
            const double low = std::max(0.0, end - K);
            double above = high;
            if (K == first_step && value(above) >= level)
                refuse("the density reaches " + isovalue_text + " in the middle of the vacuum, where it is "
                       + formatted("%.4g e/A^3", value(above) / divisor) + "; choose a larger one");
            for (int s = 1; s <= samples_per_step; ++s) {
                double below = high - (high - low) * s / samples_per_step;
                if (value(below) < level) {
                    above = below;
                    continue;
                }
                for (int b = 0; b < bisections; ++b) {
                    const double middle = 0.5 * (above + below);
                    (value(middle) < level ? above : below) = middle;
                }
                return ((K + 0.5 * (above + below)) / N - top.c) * top.layer_height;
            }
        }
        refuse("the density never reaches " + isovalue_text
               + formatted(" along a3 at some points, the first at %.3f a1 + %.3f a2; choose a smaller one", u, v));
    });
    return map;
}

}  // namespace voxmill
