#include "driver/grid_formats.hpp"

#include "formats/chgcar_writer.hpp"
#include "formats/cube.hpp"
#include "formats/xsf_writer.hpp"

namespace voxmill {

namespace {

// XSF and the CHGCAR layout write every grid alike, whatever it holds.
template <void (*write)(OutputFile&, const StructureHeader&, const DensityGrid&)>
void write_as_held(OutputFile& file, const StructureHeader& header, const DensityGrid& grid, const GridQuantity&)
{
    write(file, header, grid);
}

// clang-format off
constexpr GridFormat formats[] = {
    {"xsf", ".xsf", "Writing to XCrySDen file, please wait...", write_as_held<ixcrysden>, true},
    {"vasp", ".vasp", "Writing to VASPVIEW file, please wait...", write_as_held<ivaspview>, true},
    {"cube", ".cube", "Writing to Gaussian cube file, please wait...", write_cube, false},
};
// clang-format on

}  // namespace

std::span<const GridFormat> grid_formats() { return formats; }

std::vector<const GridFormat*> default_grid_formats()
{
    std::vector<const GridFormat*> chosen;
    for (const GridFormat& format : formats)
        if (format.by_default) chosen.push_back(&format);
    return chosen;
}

}  // namespace voxmill
