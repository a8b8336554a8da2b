#include "ops/plane.hpp"

#include <algorithm>
#include <cmath>

namespace voxmill {

namespace {

// The cell volume as the profile takes it, D s^3 with s^3 formed first; the
// report's ((D s) s) s can differ from it in the last bit.
double profile_volume(const StructureHeader& header)
{
    const double s = header.SCALE;
    return triple_product(header.A) * ((s * s) * s);
}

// The spacing of the lattice planes normal to `axis`, spanned by the two other
// vectors u and w in cyclic order: the cell volume over the area of the face
// u x w, both with their scale factors.
double plane_spacing(const StructureHeader& header, int axis)
{
    const Vector3& u = header.A[static_cast<std::size_t>((axis + 1) % 3)];
    const Vector3& w = header.A[static_cast<std::size_t>((axis + 2) % 3)];
    const double s = header.SCALE;
    const Vector3 normal{u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const double area = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]) * s * s;
    return profile_volume(header) / area;
}

}  // namespace

std::vector<PlaneMean> plane_means(const StructureHeader& header, const PlaneSums& planes)
{
    const double h = plane_spacing(header, planes.axis());
    const std::vector<double>& sums = planes.sums();
    const auto N = static_cast<double>(sums.size());
    const auto P = static_cast<double>(planes.points_per_plane());

    std::vector<PlaneMean> means(sums.size());
    for (std::size_t n = 0; n < means.size(); ++n) means[n] = {static_cast<double>(n + 1) * h / N, sums[n] / P};
    return means;
}

std::vector<PlaneMean> plane_densities(const StructureHeader& header, const PlaneSums& planes)
{
    const double V = profile_volume(header);
    std::vector<PlaneMean> means = plane_means(header, planes);
    for (PlaneMean& plane : means) plane.mean /= V;
    return means;
}

std::vector<double> atomic_plane_heights(const StructureHeader& header, int axis)
{
    const double h = plane_spacing(header, axis);
    std::vector<double> heights;
    for (const Vector3& position : header.COORD) {
        const double fraction = position[static_cast<std::size_t>(axis)];
        heights.push_back((fraction - std::floor(fraction)) * h);
    }
    std::ranges::sort(heights);
    // std::unique, not std::ranges::unique, whose subrange clang with libstdc++ 12 cannot compile.
    heights.erase(
        std::unique(heights.begin(), heights.end(), [](double low, double high) { return high - low < 0.01; }),
        heights.end());
    return heights;
}

const PlaneMean& highest_plane(std::span<const PlaneMean> profile)
{
    return *std::ranges::max_element(profile, {}, &PlaneMean::mean);
}

}  // namespace voxmill
