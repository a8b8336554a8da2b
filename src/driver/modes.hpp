// The run modes: what each option reads, keeps, prints and writes, and which
// one the command line selects.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/settings.hpp"
#include "formats/chgcar_blocks.hpp"

namespace voxmill {

enum class RunMode {
    Help,
    Version,
    PlaneDensity,
    PlanePotential,
    SpinSplit,
    ChargeDensity,
    SpinDensity,
    ChargeDifference,
    SpinDifference,
    ChargeSum,
    Slice,
    Stm,
};

// A grid result: its base name, which grid of the main file holds it once
// the mode's operation is done, and what it is.
struct Result {
    std::string_view base_name;
    Keep grid;
    GridQuantity quantity;
};

// A plane profile: the file it goes to, and the lattice vector it runs along
// (0, 1, 2 for a1, a2, a3).
struct Profile {
    std::string_view file_name;
    int axis;
};

struct Mode {
    RunMode mode;
    std::string_view option;
    int arguments;    // in all, the option included; the files are all but the option
    bool more_files;  // `arguments` is the least count, and any number of files may follow
    std::string_view mode_line;
    Keep keep;  // the grids kept of each file
    std::vector<Result> results;
    Profile profile = {};  // of the plane modes
};

// Every mode, in the order the first argument is compared with them.
std::span<const Mode> all_modes();

// What the arguments ask for: a mode to run on its files with its settings,
// or the reason of an error frame.
struct CommandLine {
    const Mode* mode = nullptr;      // null when no option matched
    std::vector<std::string> files;  // the arguments after the option, long options aside
    Settings settings;
    std::string_view error;  // the reason of the error frame; empty when `mode` can run
    std::string detail;      // what is wrong, for standard error
};

// Analyses the arguments (the program name not among them). The first argument
// is the mode's option, compared by its first 20 characters, exactly and
// case-sensitively. Long options ("--name", "--name=value") may stand
// anywhere after it, up to an argument "--"; all other arguments are files.
CommandLine analyse_arguments(std::span<const std::string> args);

}  // namespace voxmill
