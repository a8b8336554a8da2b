// CHGPLANE.png and POTPLANE.png: a plane profile drawn over the heights of its
// planes, with its macroscopic average and, for a potential, the vacuum level.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model.hpp"

namespace voxmill {

struct ProfilePicture {
    std::string title;
    std::span<const PlaneMean> profile;   // heights as in CHGPLANE, one grid step above their planes
    bool potential;                       // in eV; otherwise a density in e/Å³
    std::span<const double> macroscopic;  // one value a plane, or none
    std::span<const double> windows;      // the widths of the macroscopic average, in Å
    std::optional<double> vacuum_level;   // the line drawn across at it
    std::vector<double> atomic_planes;    // heights above the first plane, in Å
};

// The bytes of the PNG file, heights measured from the first plane; the
// profile has at least one plane.
std::string profile_png(const ProfilePicture& picture);

}  // namespace voxmill
