#include "picture/colour_scale.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace voxmill::picture {

namespace {

using Stops = std::array<Colour, 11>;  // at fractions 0, 0.1, ... 1

// matplotlib's viridis at eleven points.
constexpr Stops viridis{{{0.267, 0.004, 0.329},
                         {0.282, 0.141, 0.459},
                         {0.255, 0.267, 0.529},
                         {0.208, 0.373, 0.553},
                         {0.165, 0.471, 0.557},
                         {0.129, 0.569, 0.549},
                         {0.133, 0.659, 0.518},
                         {0.267, 0.749, 0.439},
                         {0.478, 0.820, 0.318},
                         {0.741, 0.875, 0.149},
                         {0.992, 0.906, 0.145}}};

// ColorBrewer's RdBu, from blue to red.
constexpr Stops blue_white_red{{{0.020, 0.188, 0.380},
                                {0.129, 0.400, 0.675},
                                {0.263, 0.576, 0.765},
                                {0.573, 0.773, 0.871},
                                {0.820, 0.898, 0.941},
                                {0.969, 0.969, 0.969},
                                {0.992, 0.859, 0.780},
                                {0.957, 0.647, 0.510},
                                {0.839, 0.376, 0.302},
                                {0.698, 0.094, 0.169},
                                {0.404, 0.000, 0.122}}};

Colour between(const Stops& stops, double fraction)
{
    const double at = fraction * (stops.size() - 1);
    const auto n = std::min(static_cast<std::size_t>(at), stops.size() - 2);
    const double t = at - static_cast<double>(n);
    const Colour& a = stops[n];
    const Colour& b = stops[n + 1];
    return {a.red + t * (b.red - a.red), a.green + t * (b.green - a.green), a.blue + t * (b.blue - a.blue)};
}

}  // namespace

Colour colour_at(ColourScale scale, double fraction)
{
    const double f = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    switch (scale) {
    case ColourScale::sequential: return between(viridis, f);
    case ColourScale::diverging: return between(blue_white_red, f);
    case ColourScale::hot: break;
    }
    return {std::min(1.0, 2 * f), std::clamp(2 * f - 0.5, 0.0, 1.0), std::clamp(2 * f - 1, 0.0, 1.0)};
}

}  // namespace voxmill::picture
