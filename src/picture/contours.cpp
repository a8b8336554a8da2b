#include "picture/contours.hpp"

#include <cmath>

namespace voxmill::picture {

std::vector<Segment> contour_segments(std::span<const double> values, int columns, int rows, double level)
{
    std::vector<Segment> segments;
    const auto at = [&](int c, int r) { return values[static_cast<std::size_t>(r) * columns + c] - level; };
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            // The corners anticlockwise from the lower left, and where the level crosses each edge.
            const double v[4] = {at(c, r), at(c + 1, r), at(c + 1, r + 1), at(c, r + 1)};
            if (!std::isfinite(v[0] + v[1] + v[2] + v[3])) continue;
            const Point corner[4] = {
                {double(c), double(r)}, {c + 1.0, double(r)}, {c + 1.0, r + 1.0}, {double(c), r + 1.0}};
            Point crossing[4];
            int count = 0;
            for (int e = 0; e < 4; ++e) {
                const double a = v[e], b = v[(e + 1) % 4];
                if ((a < 0) == (b < 0)) continue;
                const double t = a / (a - b);
                const Point& p = corner[e];
                const Point& q = corner[(e + 1) % 4];
                crossing[count++] = {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
            }
            if (count == 2) {
                segments.push_back({crossing[0], crossing[1]});
            } else if (count == 4) {
                // A saddle: the mean of the corners tells which pair of corners the level keeps apart.
                const bool centre_above = v[0] + v[1] + v[2] + v[3] >= 0;
                const bool first_above = v[0] >= 0;
                // Crossings 0 and 1 cut off corner 1, 2 and 3 corner 3; 3 and 0 corner 0, 1 and 2 corner 2.
                if (centre_above == first_above) {
                    segments.push_back({crossing[0], crossing[1]});
                    segments.push_back({crossing[2], crossing[3]});
                } else {
                    segments.push_back({crossing[3], crossing[0]});
                    segments.push_back({crossing[1], crossing[2]});
                }
            }
        }
    return segments;
}

}  // namespace voxmill::picture
