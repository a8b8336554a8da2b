#include "driver/results.hpp"

#include <string>

#include "formats/chgcar_writer.hpp"
#include "formats/chgplane_writer.hpp"
#include "formats/xsf_writer.hpp"
#include "text/console.hpp"

namespace voxmill {

void Results::write_grid(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid)
{
    const std::string base(base_name);
    console::line("Writing to XCrySDen file, please wait...");
    ixcrysden(files_.emplace_back(base + ".xsf"), header, grid);
    files_.back().close();
    console::line("Writing to VASPVIEW file, please wait...");
    ivaspview(files_.emplace_back(base + ".vasp"), header, grid);
    files_.back().close();
}

void Results::write_profile(std::string_view file_name, const std::vector<PlaneMean>& profile)
{
    OutputFile& file = files_.emplace_back(std::string(file_name));
    console::line("Writing to " + std::string(file_name) + " file, please wait...");
    write_chgplane(file, profile);
    file.close();
}

void Results::commit()
{
    for (OutputFile& file : files_) file.commit();
}

}  // namespace voxmill
