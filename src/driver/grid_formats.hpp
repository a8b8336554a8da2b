// The file formats a grid result can be written in, one row each.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "model.hpp"
#include "text/output_file.hpp"

namespace voxmill {

struct GridFormat {
    std::string_view name;       // as --format names it
    std::string_view extension;  // of the result file, the dot included
    std::string_view progress;   // the console line before the file is written
    void (*write)(OutputFile& file, const StructureHeader& header, const DensityGrid& grid,
                  const GridQuantity& quantity);
    bool by_default;  // written when --format is not given
};

// Every format, in the order a run writes them.
std::span<const GridFormat> grid_formats();

// Those written when --format is not given.
std::vector<const GridFormat*> default_grid_formats();

}  // namespace voxmill
