// What the long options of a command line set for its run.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "driver/grid_formats.hpp"
#include "formats/vasp_h5.hpp"

namespace voxmill {

struct Settings {
    std::vector<const GridFormat*> formats = default_grid_formats();  // in the order of grid_formats()
    std::string output_dir;       // where the results go; empty: the current directory
    bool quiet = false;           // nothing on standard output
    std::vector<double> windows;  // of the macroscopic average of a profile, in angstrom: none, one or two
    bool plot = false;            // a picture of the profile beside its file

    // The plane of a slice: a lattice plane (0 0 1 unless given) at a
    // distance from the origin (0 unless given), or the plane through three atoms.
    std::optional<std::array<int, 3>> plane;
    std::optional<double> offset;               // angstrom
    std::optional<std::array<int, 3>> through;  // atom numbers, from 1
    bool potential = false;                     // the grid is a potential, in eV, not a density
    // The height of a constant-height STM image (2 angstrom above the top atom
    // unless given), or the density of a constant-current one.
    std::optional<double> height;    // angstrom
    std::optional<double> isovalue;  // e/A^3
    // The cells along the two edges of the plane, and the spacing of the points
    // in angstrom, of a slice or an STM image.
    std::optional<std::array<int, 2>> repeat;
    std::optional<double> spacing;

    H5Choice h5;  // what of a VASP HDF5 file is read: --dataset, --band, --kpoint
};

}  // namespace voxmill
