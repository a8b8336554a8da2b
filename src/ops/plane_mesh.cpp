#include "ops/plane_mesh.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "system/failure.hpp"
#include "text/formatted.hpp"

namespace voxmill {

namespace {

constexpr int smooth_points = 400;             // along the longer side, at the default spacing
constexpr double most_points = 2048.0 * 2048;  // of a mesh

}  // namespace

std::string angstrom_text(double length)
{
    return formatted("%.4g Angstrom", length);
}

PlaneFrame plane_frame(const Vector3& origin, const Vector3& normal, const Vector3& x_direction,
                       const std::array<Vector3, 2>& edges)
{
    const Vector3 n = unit(normal);
    const Vector3 x = unit(x_direction - dot(x_direction, n) * n);
    return {origin, x, cross(n, x), n, edges};
}

PlaneMap lay_out_mesh(const PlaneFrame& frame, const MeshSettings& settings, double grid_step)
{
    PlaneMap map;
    const auto in_plane = [&](const Vector3& v) { return PlanePoint{dot(v, frame.x_axis), dot(v, frame.y_axis)}; };
    map.edges = {in_plane(frame.edges[0]), in_plane(frame.edges[1])};
    const double n = settings.repeat[0];
    const double m = settings.repeat[1];
    const std::array<PlanePoint, 4> corners{
        PlanePoint{0, 0}, PlanePoint{n * map.edges[0].x, n * map.edges[0].y},
        PlanePoint{m * map.edges[1].x, m * map.edges[1].y},
        PlanePoint{n * map.edges[0].x + m * map.edges[1].x, n * map.edges[0].y + m * map.edges[1].y}};
    const auto [left, right] = std::ranges::minmax(corners, {}, &PlanePoint::x);
    const auto [bottom, top] = std::ranges::minmax(corners, {}, &PlanePoint::y);
    const double width = right.x - left.x;
    const double height = top.y - bottom.y;

    if (settings.spacing > grid_step * (1 + 1e-9))
        refuse("a spacing of " + angstrom_text(settings.spacing) + " is coarser than the grid's step of "
               + angstrom_text(grid_step));
    map.spacing =
        settings.spacing > 0 ? settings.spacing : std::min(grid_step, std::max(width, height) / (smooth_points - 1));
    // Points at whole steps from the lower left corner, the last within the rectangle.
    const double columns = std::floor(width / map.spacing + 1e-9) + 1;
    const double rows = std::floor(height / map.spacing + 1e-9) + 1;
    if (columns * rows > most_points)
        refuse("a mesh of " + std::to_string(static_cast<long long>(columns)) + " x "
               + std::to_string(static_cast<long long>(rows))
               + " points is too large; choose a coarser spacing or fewer cells");
    map.columns = static_cast<int>(columns);
    map.rows = static_cast<int>(rows);
    map.first = {left.x, bottom.y};
    return map;
}

std::vector<AtomMark> atoms_on_plane(const StructureHeader& header, const Cell& cell, const PlaneFrame& frame,
                                     const PlaneMap& map, double tolerance)
{
    const double last_x = map.first.x + (map.columns - 1) * map.spacing;
    const double last_y = map.first.y + (map.rows - 1) * map.spacing;
    // The cells that the mesh's rectangle passes through, in fractional coordinates.
    Vector3 low{}, high{};
    for (std::size_t c = 0; c < 4; ++c) {
        const Vector3 f = to_fractional(cell, frame.origin + (c & 1 ? last_x : map.first.x) * frame.x_axis
                                                  + (c & 2 ? last_y : map.first.y) * frame.y_axis);
        for (std::size_t i = 0; i < 3; ++i) {
            low[i] = c == 0 ? f[i] : std::min(low[i], f[i]);
            high[i] = c == 0 ? f[i] : std::max(high[i], f[i]);
        }
    }
    std::vector<AtomMark> marks;
    std::size_t atom = 0;
    for (std::size_t species = 0; species < header.NSATOMS.size(); ++species)
        for (int n = 0; n < header.NSATOMS[species]; ++n, ++atom) {
            const Vector3& f = header.COORD[atom];
            std::array<int, 3> from{}, to{};
            for (std::size_t i = 0; i < 3; ++i) {
                from[i] = static_cast<int>(std::floor(low[i] - f[i])) - 1;
                to[i] = static_cast<int>(std::ceil(high[i] - f[i])) + 1;
            }
            for (int i = from[0]; i <= to[0]; ++i)
                for (int j = from[1]; j <= to[1]; ++j)
                    for (int k = from[2]; k <= to[2]; ++k) {
                        const Vector3 r = to_cartesian(cell, {f[0] + i, f[1] + j, f[2] + k}) - frame.origin;
                        const PlanePoint at{dot(r, frame.x_axis), dot(r, frame.y_axis)};
                        const double slack = map.spacing / 2;  // the picture draws half a step beyond the points
                        if (std::abs(dot(r, frame.normal)) <= tolerance && at.x >= map.first.x - slack
                            && at.x <= last_x + slack && at.y >= map.first.y - slack && at.y <= last_y + slack)
                            marks.push_back({species < header.SPECS.size() ? header.SPECS[species] : "", at});
                    }
        }
    return marks;
}

}  // namespace voxmill
