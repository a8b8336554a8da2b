// Colour scales for values on a map, from a fraction of their range.
#pragma once

#include "picture/canvas.hpp"

namespace voxmill::picture {

enum class ColourScale {
    sequential,  // dark violet through blue and green to yellow (viridis), for values of one sign
    diverging,   // blue through white to red, for values about zero
    hot,         // black through red and yellow to white (afmhot), for STM images
};

// The colour at `fraction` (clamped to [0, 1]) of the scale's range.
Colour colour_at(ColourScale scale, double fraction);

}  // namespace voxmill::picture
