#include "ops/sum.hpp"

#include <cmath>

namespace voxmill {

std::optional<LatticeMismatch> lattice_mismatch(const StructureHeader& first, const StructureHeader& second)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const double difference = second.SCALE * second.A[i][j] - first.SCALE * first.A[i][j];
            const double tolerance = lattice_tolerance + first.lattice_rounding + second.lattice_rounding;
            if (!(std::fabs(difference) <= tolerance)) return LatticeMismatch{i, j, difference};
        }
    return std::nullopt;
}

void add_grid(DensityGrid& sum, const DensityGrid& term)
{
    double* const values = sum.data();
    const double* const terms = term.data();
    for (std::size_t p = 0; p < sum.size(); ++p) values[p] += terms[p];
}

}  // namespace voxmill
