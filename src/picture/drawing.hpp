// What this build draws with: the Cairo version it was built against, or
// nothing where Cairo was missing and pictures cannot be drawn.
#pragma once

#include <string_view>

namespace voxmill::picture {

#ifdef VOXMILL_CAIRO
inline constexpr std::string_view drawing_library = "Cairo " VOXMILL_CAIRO;
#else
inline constexpr std::string_view drawing_library = {};
#endif

}  // namespace voxmill::picture
