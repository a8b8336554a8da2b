#include "ops/difference.hpp"

#include "ops/density.hpp"

namespace voxmill {

void subtract_fragments(DensityGrid& full, const Fragments& fragments)
{
    const double* const first = fragments.first.data();
    const double* const second = fragments.second.data();
    double* const values = full.data();
    for (std::size_t i = 0; i < full.size(); ++i) values[i] = (values[i] - first[i]) - second[i];
}

void write_difference(GridKind kind, const StructureHeader& header, const DensityGrid& difference)
{
    write_density(kind == GridKind::Charge ? "CHGDIFF" : "SPNDIFF", header, difference);
}

}  // namespace voxmill
