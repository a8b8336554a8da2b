// What the long options of a command line set for its run.
#pragma once

#include <string>
#include <vector>

#include "driver/grid_formats.hpp"

namespace voxmill {

struct Settings {
    std::vector<const GridFormat*> formats = default_grid_formats();  // in the order of grid_formats()
    std::string output_dir;       // where the results go; empty: the current directory
    bool quiet = false;           // nothing on standard output
    std::vector<double> windows;  // of the macroscopic average of a profile, in angstrom: none, one or two
    bool plot = false;            // a picture of the profile beside its file
};

}  // namespace voxmill
