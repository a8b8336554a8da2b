#include "picture/line_chart.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace voxmill::picture {

namespace {

constexpr double text_size = 15;  // pixels, for tick values and the legend

Range y_range(const LineChart& chart)
{
    Range range{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    const auto take = [&](double y) {
        if (!std::isfinite(y)) return;
        range.low = std::min(range.low, y);
        range.high = std::max(range.high, y);
    };
    for (const Series& series : chart.series) std::ranges::for_each(series.y, take);
    for (const Level& level : chart.levels) take(level.y);
    if (range.low > range.high) range = {0, 0};
    return widened(range, 0.06);
}

}  // namespace

std::string line_chart_png(const LineChart& chart)
{
    Canvas canvas(chart.width, chart.height);
    const Range x = chart.x.empty()                    ? Range{0, 1}
                    : chart.x.back() > chart.x.front() ? Range{chart.x.front(), chart.x.back()}
                                                       : widened({chart.x.front(), chart.x.front()}, 0);
    const Range y = y_range(chart);
    const double left = 1.6 * text_size + Axes::y_tick_width(canvas, y, text_size) + 1.2 * text_size;
    const double right = chart.width - 1.5 * text_size;

    // Discs where the points lie at least three of their diameters apart.
    const double spacing = (right - left) / std::max<double>(1, static_cast<double>(chart.x.size()) - 1);
    const double radius = 0.2 * text_size;
    std::vector<LegendEntry> legend;
    for (const Series& series : chart.series)
        legend.push_back({series.label, series.pen, series.markers && spacing >= 6 * radius});
    for (const Level& level : chart.levels) legend.push_back({level.label, level.pen});
    if (!chart.marks.x.empty()) legend.push_back({chart.marks.label, chart.marks.pen});

    // The title, the rows of the legend, then the frame.
    const double rows = static_cast<double>(Axes::legend_rows(canvas, legend, text_size, {left, 0, right, 0}).size());
    const double top = (chart.title.empty() ? 0.8 : 2.6) * text_size + 1.5 * text_size * rows + 0.5 * text_size;
    const Box frame{left, top, right, chart.height - 3.8 * text_size};
    if (!chart.title.empty())
        canvas.text({(left + right) / 2, 1.2 * text_size}, chart.title, 1.15 * text_size, Align::centre, Align::start);

    Axes axes(canvas, frame, x, y);
    axes.draw_frame(chart.x_label, chart.y_label, text_size);
    for (const double at : chart.marks.x) axes.vertical_line(at, chart.marks.pen);
    for (const Level& level : chart.levels) axes.horizontal_line(level.y, level.pen);
    for (std::size_t n = 0; n < chart.series.size(); ++n) {
        axes.line(chart.x, chart.series[n].y, chart.series[n].pen);
        if (legend[n].marker) axes.markers(chart.x, chart.series[n].y, radius, chart.series[n].pen.colour);
    }
    axes.legend(legend, text_size);
    return canvas.png();
}

}  // namespace voxmill::picture
