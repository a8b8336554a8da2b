#include "ops/cell_geometry.hpp"

#include <algorithm>

namespace voxmill {

Cell cartesian_cell(const StructureHeader& header)
{
    Cell cell{};
    for (std::size_t i = 0; i < 3; ++i) cell.a[i] = header.SCALE * header.A[i];
    cell.volume = dot(cell.a[0], cross(cell.a[1], cell.a[2]));
    for (std::size_t i = 0; i < 3; ++i)
        cell.reciprocal[i] = (1.0 / cell.volume) * cross(cell.a[(i + 1) % 3], cell.a[(i + 2) % 3]);
    return cell;
}

double finest_grid_step(const Cell& cell, const GridExtents& NGRID)
{
    double step = length(cell.a[0]) / NGRID[0];
    for (std::size_t i = 1; i < 3; ++i) step = std::min(step, length(cell.a[i]) / NGRID[i]);
    return step;
}

}  // namespace voxmill
