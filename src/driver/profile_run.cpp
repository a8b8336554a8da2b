#include "driver/profile_run.hpp"

#include <algorithm>
#include <cmath>

#include "formats/report.hpp"
#include "ops/macroscopic.hpp"
#include "ops/plane.hpp"
#include "system/failure.hpp"
#include "text/blank_padding.hpp"
#include "text/console.hpp"
#include "text/fixed_fields.hpp"

namespace voxmill {

namespace {

std::string angstroms(double length)
{
    std::string text;
    fields::fixed<12, 3>(text, length);
    return std::string(without_blanks(text)) + " angstroms";
}

// A window narrower than one plane spacing would weigh its own plane by more
// than its share; one wider than the cell would average over a period more
// than once, most likely a length meant in another unit.
void check_windows(std::span<const double> windows, std::span<const PlaneMean> profile, int axis)
{
    const double spacing = std::abs(profile.front().height), period = std::abs(profile.back().height);
    const std::string along = std::string(" along ") + "abc"[axis];
    for (const double window : windows) {
        if (window < spacing * (1 - 1e-12))
            throw Failure("--macro: a window of " + angstroms(window) + " is narrower than the spacing of the planes, "
                          + angstroms(spacing) + along);
        if (window > period * (1 + 1e-12))
            throw Failure("--macro: a window of " + angstroms(window) + " is wider than the cell, " + angstroms(period)
                          + along);
    }
}

}  // namespace

void run_profile(const Mode& mode, const std::string& name, const StructureHeader& header, const PlaneSums& planes,
                 const Settings& settings, Results& results)
{
    const bool potential = mode.mode == RunMode::PlanePotential;
    const int axis = planes.axis();
    const std::vector<PlaneMean> profile = potential ? plane_means(header, planes) : plane_densities(header, planes);
    check_windows(settings.windows, profile, axis);

    std::optional<double> vacuum_level;
    if (potential) {
        const PlaneMean& highest = highest_plane(profile);
        console::write(vacuum_level_line(highest));
        vacuum_level = highest.mean;
    }
    std::vector<double> macroscopic;
    if (!settings.windows.empty()) {
        macroscopic = macroscopic_average(profile, settings.windows);
        const auto [low, high] = std::ranges::minmax(macroscopic);
        console::write(macroscopic_lines(settings.windows, high - low, potential));
    }

    const std::string file_name(mode.profile.file_name);
    results.write_profile(file_name, profile, macroscopic);
    if (settings.plot)
        results.write_picture(file_name + ".png",
                              {std::string(without_trailing_blanks(header.SNAME)) + " (" + name + ")", profile,
                               potential, macroscopic, settings.windows, vacuum_level,
                               atomic_plane_heights(header, axis)});
}

}  // namespace voxmill
