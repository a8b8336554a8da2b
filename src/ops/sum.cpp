#include "ops/sum.hpp"

#include <cmath>

namespace voxmill {

bool same_lattice(const StructureHeader& first, const StructureHeader& second)
{
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            if (!(std::fabs(first.SCALE * first.A[i][j] - second.SCALE * second.A[i][j]) <= lattice_tolerance))
                return false;
    return true;
}

void add_grid(DensityGrid& sum, const DensityGrid& term)
{
    double* const values = sum.data();
    const double* const terms = term.data();
    for (std::size_t p = 0; p < sum.size(); ++p) values[p] += terms[p];
}

}  // namespace voxmill
