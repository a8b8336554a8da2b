// Values of a periodic grid between its points: tricubic interpolation by the
// Catmull-Rom kernel (Keys' cubic convolution with a = -1/2) along each axis.
// Each value comes from the 4 x 4 x 4 grid points about it, so it equals the
// grid value at a grid point, follows any quadratic exactly, and has a
// continuous gradient. Indices wrap: the grid is one period of the crystal.
#pragma once

#include <array>

#include "model.hpp"

namespace voxmill {

// The four grid indices about fractional position f on an axis of N points,
// wrapped into [0, N), and their Catmull-Rom weights.
struct CubicStencil {
    std::array<int, 4> index;
    std::array<double, 4> weight;
};
CubicStencil cubic_stencil(double f, int N);

// The Catmull-Rom weights at distance t in [0, 1) past the second of four points.
std::array<double, 4> cubic_weights(double t);

// The value of `grid` at fractional position f (any real coordinates; the cell
// repeats), e.g. tricubic_value(grid, {0.5, 0.5, 0.25}).
double tricubic_value(const DensityGrid& grid, const Vector3& f);

// The bicubic interpolation of grid plane k of constant third index
// (0 <= k < NGZ) at the in-plane position of the stencils along a1 and a2.
double plane_value(const DensityGrid& grid, int k, const CubicStencil& x, const CubicStencil& y);

}  // namespace voxmill
