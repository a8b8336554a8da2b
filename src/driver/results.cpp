#include "driver/results.hpp"

#include <filesystem>

#include "formats/chgplane_writer.hpp"
#include "formats/map_table.hpp"
#include "picture/drawing.hpp"
#include "system/failure.hpp"
#include "text/console.hpp"
#include "text/progress_line.hpp"

namespace voxmill {

Results::Results(const Settings& settings) : formats_(settings.formats)
{
    if (settings.output_dir.empty()) return;
    std::error_code error;
    const auto type = std::filesystem::status(settings.output_dir, error).type();
    if (type == std::filesystem::file_type::not_found)
        refuse(settings.output_dir + " does not exist!",
               "the output folder " + settings.output_dir + " does not exist");
    if (type != std::filesystem::file_type::directory && !error)
        refuse(settings.output_dir + " is not a folder",
               "the output folder " + settings.output_dir + " is not a folder");
    dir_ = settings.output_dir.ends_with('/') ? settings.output_dir : settings.output_dir + '/';
}

OutputFile& Results::add(std::string_view file_name)
{
    if (files_.empty()) writing_since_ = progress_line::seconds_now();
    return files_.emplace_back(dir_ + std::string(file_name), writing_since_);
}

void Results::write_grid(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid,
                         const GridQuantity& quantity)
{
    for (const GridFormat* format : formats_) {
        console::line(format->progress);
        OutputFile& file = add(std::string(base_name) + std::string(format->extension));
        format->write(file, header, grid, quantity);
        file.close();
    }
}

void Results::write_profile(std::string_view file_name, const std::vector<PlaneMean>& profile,
                            const std::vector<double>& macroscopic)
{
    OutputFile& file = add(file_name);
    console::line("Writing to " + std::string(file_name) + " file, please wait...");
    write_chgplane(file, profile, macroscopic);
    file.close();
}

void Results::write_picture(std::string_view file_name, const ProfilePicture& picture)
{
    OutputFile& file = add(file_name);
    console::line("Writing to " + std::string(file_name) + " file, please wait...");
    file.write(profile_png(picture));
    file.close();
}

void Results::write_map(std::string_view base_name, const PlaneMap& map, const MapLook& look)
{
    const std::string table = std::string(base_name) + ".dat";
    OutputFile& file = add(table);
    console::line("Writing to " + table + " file, please wait...");
    write_map_table(file, map);
    file.close();
    const std::string picture = std::string(base_name) + ".png";
    if (picture::drawing_library.empty()) {
        console::note(picture + " is not drawn: this voxmill was built without Cairo, which draws pictures");
        return;
    }
    OutputFile& png = add(picture);
    console::line("Writing to " + picture + " file, please wait...");
    write_map_picture(png, map, look);
    png.close();
}

void Results::commit()
{
    for (OutputFile& file : files_) file.commit();
}

}  // namespace voxmill
