#include "ops/difference.hpp"

#include "ops/density.hpp"

namespace voxmill {

void subtract_fragments(std::span<const double> full, std::size_t from, const Fragments& fragments, double* result)
{
    const double* const first = fragments.first.data() + from;
    const double* const second = fragments.second.data() + from;
    result += from;
    for (std::size_t i = 0; i < full.size(); ++i) result[i] = (full[i] - first[i]) - second[i];
}

void write_difference(GridKind kind, const StructureHeader& header, const DensityGrid& difference)
{
    write_density(kind == GridKind::Charge ? "CHGDIFF" : "SPNDIFF", header, difference);
}

}  // namespace voxmill
