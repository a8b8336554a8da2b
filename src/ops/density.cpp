#include "ops/density.hpp"

#include "output/chgcar_writer.hpp"
#include "output/xsf_writer.hpp"

namespace voxmill {

void write_density(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid)
{
    ixcrysden(base_name, header, grid);
    ivaspview(base_name, header, grid);
}

}  // namespace voxmill
