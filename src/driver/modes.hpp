// The run modes: what each option reads, keeps, prints and writes, and which
// one the command line selects.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/chgcar_blocks.hpp"

namespace voxmill {

enum class RunMode {
    Help,
    PlaneDensity,
    PlanePotential,
    SpinSplit,
    ChargeDensity,
    SpinDensity,
    ChargeDifference,
    SpinDifference,
    ChargeSum,
};

// A grid result: its base name, and which grid of the main file holds it once
// the mode's operation is done.
struct Result {
    std::string_view base_name;
    Keep grid;
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

// What the arguments ask for: a mode to run, or the reason of an error frame.
struct CommandLine {
    const Mode* mode = nullptr;
    std::string_view error;  // empty when `mode` can run
};

// Analyses the arguments (the program name not among them). The first argument
// is compared by its first 20 characters, exactly and case-sensitively.
CommandLine analyse_arguments(std::span<const std::string> args);

}  // namespace voxmill
