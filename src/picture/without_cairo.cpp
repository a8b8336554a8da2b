// Built in place of the drawing code where Cairo is missing: the command line
// refuses to draw first, so this is only the last guard.
#include "picture/line_chart.hpp"
#include "picture/map_chart.hpp"
#include "system/failure.hpp"

namespace voxmill::picture {

std::string line_chart_png(const LineChart&)
{
    throw Failure("this voxmill was built without Cairo and draws no pictures");
}

std::string map_chart_png(const MapChart&) { return line_chart_png({}); }

}  // namespace voxmill::picture
