#include "ops/plane.hpp"

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

// The spacing of the lattice planes spanned by a1 and a2: the cell volume over
// the area of that face, both with their scale factors.
double plane_spacing(const StructureHeader& header)
{
    const Vector3& a1 = header.A[0];
    const Vector3& a2 = header.A[1];
    const double s = header.SCALE;
    const Vector3 normal{a1[1] * a2[2] - a1[2] * a2[1], a1[2] * a2[0] - a1[0] * a2[2], a1[0] * a2[1] - a1[1] * a2[0]};
    const double area = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]) * s * s;
    return profile_volume(header) / area;
}

}  // namespace

std::vector<PlaneMean> plane_means(const StructureHeader& header, const DensityGrid& CHG)
{
    const double V = profile_volume(header);
    const double h = plane_spacing(header);
    const auto [NGX, NGY, NGZ] = CHG.extents();
    const std::size_t plane_size = static_cast<std::size_t>(NGX) * static_cast<std::size_t>(NGY);
    const auto P = static_cast<double>(plane_size);

    std::vector<PlaneMean> means(static_cast<std::size_t>(NGZ));
    for (std::size_t k = 0; k < means.size(); ++k) {
        const double* plane = CHG.data() + k * plane_size;
        double sum = 0.0;
        for (std::size_t p = 0; p < plane_size; ++p) sum += plane[p];
        means[k] = {static_cast<double>(k + 1) * h / NGZ, (sum / P) / V};
    }
    return means;
}

}  // namespace voxmill
