#include "ops/difference.hpp"

#include "ops/density.hpp"

namespace voxmill {

namespace {

void subtract(DensityGrid& full, const DensityGrid& first, const DensityGrid& second)
{
    for (std::size_t p = 0; p < full.size(); ++p) full[p] = (full[p] - first[p]) - second[p];
}

}  // namespace

void density_difference(GridKind kind, const StructureHeader& header, DensityGrid& full, const Fragments& fragments)
{
    subtract(full, fragments.first, fragments.second);
    write_density(kind == GridKind::Charge ? "CHGDIFF" : "SPNDIFF", header, full);
}

}  // namespace voxmill
