#include "ops/interpolation.hpp"

#include <cmath>

namespace voxmill {

namespace {

std::size_t to_size(int n) { return static_cast<std::size_t>(n); }

// The sum over the 4 x 4 points of plane k (a row offset) weighted by the stencils along x and y.
double plane_sum(const double* plane, int NGX, const CubicStencil& x, const CubicStencil& y)
{
    double sum = 0.0;
    for (std::size_t b = 0; b < 4; ++b) {
        const double* row = plane + to_size(y.index[b]) * to_size(NGX);
        const double along_x = x.weight[0] * row[x.index[0]] + x.weight[1] * row[x.index[1]]
                               + x.weight[2] * row[x.index[2]] + x.weight[3] * row[x.index[3]];
        sum += y.weight[b] * along_x;
    }
    return sum;
}

}  // namespace

std::array<double, 4> cubic_weights(double t)
{
    const double t2 = t * t;
    const double t3 = t2 * t;
    return {0.5 * (-t3 + 2.0 * t2 - t), 0.5 * (3.0 * t3 - 5.0 * t2 + 2.0), 0.5 * (-3.0 * t3 + 4.0 * t2 + t),
            0.5 * (t3 - t2)};
}

CubicStencil cubic_stencil(double f, int N)
{
    double g = f * N;
    // A position on a grid plane but for the rounding of the geometry that led to it is on it.
    if (std::abs(g - std::round(g)) < 1e-9) g = std::round(g);
    const double below = std::floor(g);
    // The point below, wrapped; a position a whole number of cells away lands on the same one.
    int i = static_cast<int>(std::fmod(below, static_cast<double>(N)));
    if (i < 0) i += N;
    CubicStencil stencil{{}, cubic_weights(g - below)};
    for (int m = 0; m < 4; ++m) stencil.index[to_size(m)] = (i + m - 1 + N) % N;
    return stencil;
}

double tricubic_value(const DensityGrid& grid, const Vector3& f)
{
    const auto [NGX, NGY, NGZ] = grid.extents();
    const CubicStencil x = cubic_stencil(f[0], NGX);
    const CubicStencil y = cubic_stencil(f[1], NGY);
    const CubicStencil z = cubic_stencil(f[2], NGZ);
    const std::size_t plane_size = to_size(NGX) * to_size(NGY);
    double sum = 0.0;
    for (std::size_t c = 0; c < 4; ++c)
        sum += z.weight[c] * plane_sum(grid.data() + to_size(z.index[c]) * plane_size, NGX, x, y);
    return sum;
}

double plane_value(const DensityGrid& grid, int k, const CubicStencil& x, const CubicStencil& y)
{
    const auto [NGX, NGY, NGZ] = grid.extents();
    return plane_sum(grid.data() + to_size(k) * to_size(NGX) * to_size(NGY), NGX, x, y);
}

}  // namespace voxmill
