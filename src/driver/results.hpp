// The result files of a run: each written whole and closed as it comes, and
// all renamed to their names only once every one is complete, so that a
// failed run leaves every earlier result of those names as it was.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "driver/settings.hpp"
#include "formats/map_picture.hpp"
#include "formats/profile_picture.hpp"
#include "model.hpp"
#include "text/output_file.hpp"

namespace voxmill {

class Results {
public:
    // Results in the formats and the folder of `settings`; refuses a folder that does not exist.
    explicit Results(const Settings& settings);

    // The grid, which holds `quantity`, as base_name plus the extension of
    // each format, with their progress lines.
    void write_grid(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid,
                    const GridQuantity& quantity);

    // A plane profile as the file `file_name`, with its progress line; with
    // the macroscopic average as its third column if there is one.
    void write_profile(std::string_view file_name, const std::vector<PlaneMean>& profile,
                       const std::vector<double>& macroscopic = {});

    // The picture of a profile as the PNG file `file_name`, with its progress line.
    void write_picture(std::string_view file_name, const ProfilePicture& picture);

    // A plane map as base_name.dat, and as base_name.png where this build
    // draws pictures (else a note says it does not), with their progress lines.
    void write_map(std::string_view base_name, const PlaneMap& map, const MapLook& look);

    // Renames every file written to its name.
    void commit();

private:
    // A new result file, whose progress shows once the run's results have
    // taken a second to write.
    OutputFile& add(std::string_view file_name);
    std::vector<const GridFormat*> formats_;
    std::string dir_;  // empty, or the folder with a slash at its end
    std::deque<OutputFile> files_;
    double writing_since_ = 0;
};

}  // namespace voxmill
