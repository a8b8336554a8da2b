#include "ops/spin_split.hpp"

namespace voxmill {

void split_spin(DensityGrid& CHG, DensityGrid& SPN)
{
    for (std::size_t p = 0; p < CHG.size(); ++p) {
        const double charge = CHG[p];
        const double magnetisation = SPN[p];
        CHG[p] = (charge + magnetisation) * 0.5;
        SPN[p] = (charge - magnetisation) * 0.5;
    }
}

}  // namespace voxmill
