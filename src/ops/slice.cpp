#include "ops/slice.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "ops/interpolation.hpp"
#include "system/failure.hpp"

namespace voxmill {

namespace {

// Largest Miller index tried when a plane through atoms is matched to a lattice plane.
constexpr int largest_index = 12;

Vector3 miller_normal(const Cell& cell, const std::array<int, 3>& hkl)
{
    return hkl[0] * cell.reciprocal[0] + hkl[1] * cell.reciprocal[1] + hkl[2] * cell.reciprocal[2];
}

// The first lattice vector that lies in the plane of unit normal n, else the
// first whose projection onto it is not a point.
Vector3 x_direction(const Cell& cell, const Vector3& n)
{
    for (const Vector3& a : cell.a)
        if (std::abs(dot(a, n)) <= 1e-9 * length(a)) return a;
    for (const Vector3& a : cell.a)
        if (length(a - dot(a, n) * n) > 1e-6 * length(a)) return a;
    return cell.a[0];
}

// One cell of the lattice plane (h k l): the lattice vectors t1 a1 + t2 a2 +
// t3 a3 with h t1 + k t2 + l t3 = 0, the first lattice vector in the plane or
// the shortest one, then the shortest of those that span the least area with
// it, turned so that the two run anticlockwise seen against the normal.
std::array<Vector3, 2> lattice_plane_cell(const Cell& cell, const std::array<int, 3>& hkl, const Vector3& n)
{
    const int R = std::max({std::abs(hkl[0]), std::abs(hkl[1]), std::abs(hkl[2]), 1});
    std::vector<Vector3> in_plane;
    // The lattice vectors themselves come first, so that they win ties.
    for (std::size_t i = 0; i < 3; ++i)
        if (hkl[i] == 0) in_plane.push_back(cell.a[i]);
    for (int t1 = -R; t1 <= R; ++t1)
        for (int t2 = -R; t2 <= R; ++t2)
            for (int t3 = -R; t3 <= R; ++t3)
                if (hkl[0] * t1 + hkl[1] * t2 + hkl[2] * t3 == 0 && (t1 != 0 || t2 != 0 || t3 != 0))
                    in_plane.push_back(to_cartesian(cell, {double(t1), double(t2), double(t3)}));
    const auto shorter = [](const Vector3& u, const Vector3& v) { return length(u) < length(v) * (1 - 1e-9); };
    Vector3 first = in_plane.front();
    if (std::ranges::none_of(hkl, [](int index) { return index == 0; }))
        for (const Vector3& v : in_plane)
            if (shorter(v, first)) first = v;
    const double tiny = 1e-9 * dot(first, first);
    std::optional<Vector3> second;
    double least = 0;
    for (const Vector3& v : in_plane) {
        const double area = length(cross(first, v));
        if (area <= tiny * length(v) / length(first)) continue;  // along the first
        if (!second || area < least * (1 - 1e-9) || (area <= least * (1 + 1e-9) && shorter(v, *second))) {
            second = v;
            least = area;
        }
    }
    if (dot(cross(first, *second), n) < 0) second = -1.0 * *second;
    return {first, *second};
}

}  // namespace

PlaneFrame miller_plane(const Cell& cell, const std::array<int, 3>& hkl, double offset)
{
    if (hkl == std::array<int, 3>{0, 0, 0}) refuse("the Miller indices 0,0,0 name no plane");
    const Vector3 n = unit(miller_normal(cell, hkl));
    return plane_frame(offset * n, n, x_direction(cell, n), lattice_plane_cell(cell, hkl, n));
}

PlaneFrame plane_through_atoms(const Cell& cell, const StructureHeader& header, const std::array<int, 3>& atoms)
{
    std::array<Vector3, 3> r{};
    for (std::size_t m = 0; m < 3; ++m) {
        if (atoms[m] < 1 || atoms[m] > header.NATOMS)
            refuse("there is no atom " + std::to_string(atoms[m]) + ": the file has " + std::to_string(header.NATOMS));
        r[m] = to_cartesian(cell, header.COORD[static_cast<std::size_t>(atoms[m] - 1)]);
    }
    const Vector3 normal = cross(r[1] - r[0], r[2] - r[0]);
    if (length(normal) <= 1e-8 * length(r[1] - r[0]) * length(r[2] - r[0]) || length(normal) == 0)
        refuse("atoms " + std::to_string(atoms[0]) + ", " + std::to_string(atoms[1]) + " and "
               + std::to_string(atoms[2]) + " lie on one line and span no plane");
    const Vector3 n = unit(normal);
    const Vector3 origin = dot(r[0], n) * n;

    // A lattice plane of the same orientation, with its cell.
    const int L = largest_index;
    for (int h = -L; h <= L; ++h)
        for (int k = -L; k <= L; ++k)
            for (int l = -L; l <= L; ++l) {
                if (h == 0 && k == 0 && l == 0) continue;
                const std::array<int, 3> hkl{h, k, l};
                if (length(unit(miller_normal(cell, hkl)) - n) < 1e-6)
                    return plane_frame(origin, n, x_direction(cell, n), lattice_plane_cell(cell, hkl, n));
            }
    // Else the two lattice vectors whose shadows on the plane enclose the largest area.
    const auto shadow = [&](const Vector3& a) { return a - dot(a, n) * n; };
    std::array<Vector3, 2> edges{};
    double largest = -1;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = i + 1; j < 3; ++j) {
            const double area = length(cross(shadow(cell.a[i]), shadow(cell.a[j])));
            if (area > largest) {
                largest = area;
                edges = {shadow(cell.a[i]), shadow(cell.a[j])};
            }
        }
    if (dot(cross(edges[0], edges[1]), n) < 0) edges[1] = -1.0 * edges[1];
    return plane_frame(origin, n, x_direction(cell, n), edges);
}

PlaneMap slice(const StructureHeader& header, const DensityGrid& grid, const PlaneFrame& frame,
               const MeshSettings& settings, double divisor)
{
    const Cell cell = cartesian_cell(header);
    PlaneMap map = lay_out_mesh(frame, settings, finest_grid_step(cell, grid.extents()));
    map.values.resize(static_cast<std::size_t>(map.columns) * static_cast<std::size_t>(map.rows));
    std::size_t point = 0;
    for (int row = 0; row < map.rows; ++row)
        for (int column = 0; column < map.columns; ++column)
            map.values[point++] =
                tricubic_value(grid, to_fractional(cell, mesh_point(frame, map, column, row))) / divisor;
    double coarsest = 0;
    for (std::size_t i = 0; i < 3; ++i) coarsest = std::max(coarsest, length(cell.a[i]) / grid.extents()[i]);
    map.atoms = atoms_on_plane(header, cell, frame, map, coarsest / 2);
    return map;
}

}  // namespace voxmill
