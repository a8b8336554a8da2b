#include "ops/plane.hpp"

#include <cmath>
#include <vector>

#include "output/console.hpp"
#include "output/format_list.hpp"
#include "output/output_file.hpp"

namespace voxmill {

namespace {

// The spacing of the lattice planes spanned by a1 and a2: the cell volume over
// the area of that face, both with their scale factors.
double plane_spacing(const StructureHeader& header)
{
    const Vector3& a1 = header.A[0];
    const Vector3& a2 = header.A[1];
    const double s = header.SCALE;
    const Vector3 normal{a1[1] * a2[2] - a1[2] * a2[1], a1[2] * a2[0] - a1[0] * a2[2], a1[0] * a2[1] - a1[1] * a2[0]};
    const double area = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]) * s * s;
    return cell_volume(header) / area;
}

// The sum of the values of each plane of constant k, in one pass over the grid.
std::vector<double> plane_sums(const DensityGrid& CHG)
{
    const auto [NGX, NGY, NGZ] = CHG.extents();
    const std::size_t plane_size = static_cast<std::size_t>(NGX) * static_cast<std::size_t>(NGY);
    std::vector<double> sums(static_cast<std::size_t>(NGZ), 0.0);
    for (std::size_t k = 0; k < sums.size(); ++k) {
        const double* plane = CHG.data() + k * plane_size;
        double sum = 0.0;
        for (std::size_t p = 0; p < plane_size; ++p) sum += plane[p];
        sums[k] = sum;
    }
    return sums;
}

}  // namespace

std::string plane_records(const StructureHeader& header, const DensityGrid& CHG)
{
    const double V = cell_volume(header);
    const double h = plane_spacing(header);
    const auto [NGX, NGY, NGZ] = CHG.extents();
    const auto P = static_cast<double>(static_cast<long long>(NGX) * NGY);

    const FormatList record("(2F12.6)");
    std::string records;
    const std::vector<double> sums = plane_sums(CHG);
    for (std::size_t k = 0; k < sums.size(); ++k) {
        const FormatItem items[] = {static_cast<double>(k + 1) * h / NGZ, (sums[k] / P) / V};
        records += record.write(items);
    }
    return records;
}

void plane_density(const StructureHeader& header, const DensityGrid& CHG)
{
    const std::string records = plane_records(header, CHG);
    OutputFile file("CHGPLANE");
    console::line("Writing to CHGPLANE file, please wait...");
    file.write(records);
    file.commit();
}

}  // namespace voxmill
