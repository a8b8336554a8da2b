// A plane through the cell with coordinates of its own, and the square mesh
// of points on it where a slice or an STM image is sampled.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ops/cell_geometry.hpp"

namespace voxmill {

// A plane and its coordinates: x along `x_axis`, y along `y_axis`, both unit
// vectors in the plane, with normal = x_axis x y_axis.
struct PlaneFrame {
    Vector3 origin;  // where x = y = 0: the cell's origin projected onto the plane
    Vector3 x_axis;
    Vector3 y_axis;
    Vector3 normal;
    std::array<Vector3, 2> edges;  // one cell of the plane
};

// The frame of the plane through `origin` with `normal` and the cell edges
// `edges`, x along `x_direction` (any vector not along the normal) projected
// onto the plane.
PlaneFrame plane_frame(const Vector3& origin, const Vector3& normal, const Vector3& x_direction,
                       const std::array<Vector3, 2>& edges);

struct MeshSettings {
    std::array<int, 2> repeat{1, 1};  // cells along the two edges, at least 1 each
    double spacing = 0.0;             // in angstrom; 0 for the default
};

// The mesh, with no values yet, over the smallest rectangle in x and y that
// holds repeat[0] x repeat[1] cells of the plane from its origin. Its spacing
// is settings.spacing, which may not be coarser than `grid_step`; by default
// grid_step, or finer where that leaves fewer than 400 points along the
// longer side, so that contours and pictures come out smooth.
PlaneMap lay_out_mesh(const PlaneFrame& frame, const MeshSettings& settings, double grid_step);

// A length as messages give it: "0.125 Angstrom".
std::string angstrom_text(double length);

// The Cartesian position of a point of the mesh.
inline Vector3 mesh_point(const PlaneFrame& frame, const PlaneMap& map, int column, int row)
{
    return frame.origin + (map.first.x + column * map.spacing) * frame.x_axis
           + (map.first.y + row * map.spacing) * frame.y_axis;
}

// Every image of every atom that lies within `tolerance` of the plane and
// inside the rectangle of the mesh, labelled with its species.
std::vector<AtomMark> atoms_on_plane(const StructureHeader& header, const Cell& cell, const PlaneFrame& frame,
                                     const PlaneMap& map, double tolerance);

}  // namespace voxmill
