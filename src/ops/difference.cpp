#include "ops/difference.hpp"

#include "ops/density.hpp"

namespace voxmill {

namespace {

void subtract(DensityGrid& full, const DensityGrid& first, const DensityGrid& second)
{
    for (std::size_t p = 0; p < full.size(); ++p) full[p] = (full[p] - first[p]) - second[p];
}

}  // namespace

void density_difference(DifferenceKind kind, const StructureHeader& header, DensityGrid& CHG, DensityGrid& SPN,
                        const Fragments& fragments)
{
    if (kind == DifferenceKind::Charge) {
        subtract(CHG, fragments.CHG1, fragments.CHG2);
        write_density("CHGDIFF", header, CHG);
    } else {
        subtract(SPN, fragments.SPN1, fragments.SPN2);
        write_density("SPNDIFF", header, SPN);
    }
}

}  // namespace voxmill
