// Vectors of the cell in Cartesian angstrom, and the change between
// Cartesian and fractional coordinates.
#pragma once

#include <cmath>

#include "model.hpp"

namespace voxmill {

inline double length(const Vector3& a) { return std::sqrt(dot(a, a)); }
inline Vector3 operator+(const Vector3& a, const Vector3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline Vector3 operator-(const Vector3& a, const Vector3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline Vector3 operator*(double s, const Vector3& a) { return {s * a[0], s * a[1], s * a[2]}; }
inline Vector3 unit(const Vector3& a) { return (1.0 / length(a)) * a; }

// The lattice of a file with its scale factor applied, and its reciprocal
// vectors (without 2 pi): dot(a[i], reciprocal[j]) is 1 for i = j, else 0.
struct Cell {
    std::array<Vector3, 3> a;
    std::array<Vector3, 3> reciprocal;
    double volume;  // signed, as the triple product
};

Cell cartesian_cell(const StructureHeader& header);

inline Vector3 to_fractional(const Cell& cell, const Vector3& r)
{
    return {dot(r, cell.reciprocal[0]), dot(r, cell.reciprocal[1]), dot(r, cell.reciprocal[2])};
}
inline Vector3 to_cartesian(const Cell& cell, const Vector3& f)
{
    return f[0] * cell.a[0] + f[1] * cell.a[1] + f[2] * cell.a[2];
}

// The finest step of the grid along a lattice vector: min |a_i| / N_i.
double finest_grid_step(const Cell& cell, const GridExtents& NGRID);

}  // namespace voxmill
