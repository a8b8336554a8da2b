#include "ops/difference.hpp"

namespace voxmill {

void subtract_fragments(DensityGrid& full, const DensityGrid& first, const DensityGrid& second)
{
    double* const values = full.data();
    for (std::size_t i = 0; i < full.size(); ++i) values[i] = (values[i] - first[i]) - second[i];
}

}  // namespace voxmill
