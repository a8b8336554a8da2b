#include "driver/grid_formats.hpp"

#include "formats/chgcar_writer.hpp"
#include "formats/xsf_writer.hpp"

namespace voxmill {

namespace {

// clang-format off
constexpr GridFormat formats[] = {
    {"xsf", ".xsf", "Writing to XCrySDen file, please wait...", ixcrysden, true},
    {"vasp", ".vasp", "Writing to VASPVIEW file, please wait...", ivaspview, true},
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
