#include "ops/spin_split.hpp"

#include "ops/density.hpp"

namespace voxmill {

void split_spin(const StructureHeader& header, DensityGrid& CHG, DensityGrid& SPN)
{
    // The up and down densities take the places of the charge and the
    // magnetisation, which nothing needs afterwards: no further grids to fill.
    DensityGrid& CHGUP = CHG;
    DensityGrid& CHGDN = SPN;
    for (std::size_t p = 0; p < CHG.size(); ++p) {
        const double charge = CHG[p];
        const double magnetisation = SPN[p];
        CHGUP[p] = (charge + magnetisation) * 0.5;
        CHGDN[p] = (charge - magnetisation) * 0.5;
    }
    write_density("CHGUP", header, CHGUP);
    write_density("CHGDN", header, CHGDN);
}

}  // namespace voxmill
