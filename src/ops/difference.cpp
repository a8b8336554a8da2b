#include "ops/difference.hpp"

#include "ops/density.hpp"

namespace voxmill {

namespace {

void subtract(DensityGrid& full, const DensityGrid& first, const DensityGrid& second)
{
    for (std::size_t p = 0; p < full.size(); ++p) full[p] = (full[p] - first[p]) - second[p];
}

}  // namespace

void density_difference(GridKind kind, const StructureHeader& header, DensityGrid& CHG, DensityGrid& SPN,
                        const Fragments& fragments)
{
    if (kind == GridKind::Charge) {
        subtract(CHG, fragments.first, fragments.second);
        write_density("CHGDIFF", header, CHG);
    } else {
        subtract(SPN, fragments.first, fragments.second);
        write_density("SPNDIFF", header, SPN);
    }
}

}  // namespace voxmill
