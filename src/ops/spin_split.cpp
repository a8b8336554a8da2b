#include "ops/spin_split.hpp"

#include "ops/density.hpp"

namespace voxmill {

void split_spin(const StructureHeader& header, const DensityGrid& CHG, const DensityGrid& SPN)
{
    DensityGrid CHGUP(header.NGRID);
    DensityGrid CHGDN(header.NGRID);
    for (std::size_t p = 0; p < CHG.size(); ++p) CHGUP[p] = (CHG[p] + SPN[p]) * 0.5;
    for (std::size_t p = 0; p < CHG.size(); ++p) CHGDN[p] = (CHG[p] - SPN[p]) * 0.5;
    write_density("CHGUP", header, CHGUP);
    write_density("CHGDN", header, CHGDN);
}

}  // namespace voxmill
