#include "formats/profile_picture.hpp"

#include <charconv>
#include <vector>

#include "picture/line_chart.hpp"
#include "text/blank_padding.hpp"
#include "text/fixed_fields.hpp"

namespace voxmill {

namespace {

using picture::Dash;
using picture::Pen;

constexpr picture::Colour plane_blue{0.12, 0.37, 0.66};
constexpr picture::Colour average_orange{0.85, 0.37, 0.01};
constexpr picture::Colour vacuum_red{0.69, 0.19, 0.13};

// The shortest text that reads back as `value`: 4.05, not 4.0500000000000003.
std::string shortest(double value)
{
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

std::string windows_text(std::span<const double> windows)
{
    if (windows.size() == 1) return "macroscopic average, " + shortest(windows[0]) + " Å window";
    return "macroscopic average, " + shortest(windows[0]) + " and " + shortest(windows[1]) + " Å windows";
}

}  // namespace

std::string profile_png(const ProfilePicture& picture)
{
    // Distances along the normal: a left-handed cell reports negative heights.
    const double first = picture.profile.front().height, sign = first < 0 ? -1 : 1;
    std::vector<double> heights, means, atomic_planes;
    for (const PlaneMean& plane : picture.profile) {
        heights.push_back(sign * (plane.height - first));
        means.push_back(plane.mean);
    }
    for (const double height : picture.atomic_planes) atomic_planes.push_back(sign * height);
    picture::LineChart chart;
    chart.title = picture.title;
    chart.x_label = "height above the first plane (Å)";
    chart.y_label = picture.potential ? "potential (eV)" : "charge density (e/Å³)";
    chart.x = heights;
    chart.series.push_back({means, Pen{plane_blue, 2}, "plane mean", true});
    if (!picture.macroscopic.empty())
        chart.series.push_back({picture.macroscopic, Pen{average_orange, 2.5}, windows_text(picture.windows)});
    if (picture.vacuum_level) {
        std::string level;  // as the console's line gives it
        fields::fixed<12, 3>(level, *picture.vacuum_level);
        chart.levels.push_back({*picture.vacuum_level, Pen{vacuum_red, 1.5, Dash::dashed},
                                "vacuum level " + std::string(without_blanks(level)) + " eV"});
    }
    chart.marks = {atomic_planes, Pen{{0.6, 0.6, 0.6}, 1, Dash::dashed}, "atomic planes"};
    return picture::line_chart_png(chart);
}

}  // namespace voxmill
