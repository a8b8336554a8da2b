// The result files of a run: each written whole and closed as it comes, and
// all renamed to their names only once every one is complete, so that a
// failed run leaves every earlier result of those names as it was.
#pragma once

#include <deque>
#include <string_view>
#include <vector>

#include "model.hpp"
#include "text/output_file.hpp"

namespace voxmill {

class Results {
public:
    // The grid as base_name.xsf and base_name.vasp, with their progress lines.
    void write_grid(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid);

    // A plane profile as the file `file_name`, with its progress line.
    void write_profile(std::string_view file_name, const std::vector<PlaneMean>& profile);

    // Renames every file written to its name.
    void commit();

private:
    std::deque<OutputFile> files_;
};

}  // namespace voxmill
