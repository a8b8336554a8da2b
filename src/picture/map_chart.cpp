#include "picture/map_chart.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "picture/axes.hpp"
#include "picture/contours.hpp"

namespace voxmill::picture {

namespace {

constexpr double text_size = 15;     // pixels, for tick values and labels
constexpr double longer_side = 600;  // of the map, in pixels
constexpr double bar_width = 18;     // of the colour bar
constexpr double least_bar = 200;    // the least height of the colour bar
constexpr int tick_count = 8;        // values on the colour bar, about
constexpr int level_count = 16;      // contour levels, about

Range value_range(const MapChart& chart)
{
    Range range{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const double v : chart.values)
        if (std::isfinite(v)) range = {std::min(range.low, v), std::max(range.high, v)};
    if (range.low > range.high) range = {0, 0};
    if (chart.scale == ColourScale::diverging) {
        const double most = std::max(std::abs(range.low), std::abs(range.high));
        range = {-most, most};
    }
    return range.high > range.low ? range : widened(range, 0);
}

// The values in colour, one pixel a value, scaled up smoothly onto the frame.
void paint_values(Canvas& canvas, const MapChart& chart, const Box& frame, Range range)
{
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, chart.columns, chart.rows);
    const int stride = cairo_image_surface_get_stride(image);
    unsigned char* pixels = cairo_image_surface_get_data(image);
    for (int r = 0; r < chart.rows; ++r) {
        auto* line =
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(chart.rows - 1 - r) * stride);
        for (int c = 0; c < chart.columns; ++c) {
            const double v = chart.values[static_cast<std::size_t>(r) * chart.columns + c];
            const Colour colour = colour_at(chart.scale, (v - range.low) / (range.high - range.low));
            const auto byte = [](double x) { return static_cast<std::uint32_t>(std::lround(255 * x)); };
            line[c] = byte(colour.red) << 16 | byte(colour.green) << 8 | byte(colour.blue);
        }
    }
    cairo_surface_mark_dirty(image);
    cairo_t* cairo = canvas.context();
    cairo_save(cairo);
    cairo_rectangle(cairo, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
    cairo_clip(cairo);
    cairo_translate(cairo, frame.left, frame.top);
    cairo_scale(cairo, (frame.right - frame.left) / chart.columns, (frame.bottom - frame.top) / chart.rows);
    cairo_set_source_surface(cairo, image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cairo), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cairo), CAIRO_EXTEND_PAD);
    cairo_paint(cairo);
    cairo_restore(cairo);
    cairo_surface_destroy(image);
}

void draw_contours(Canvas& canvas, const MapChart& chart, const Axes& axes, std::span<const double> levels)
{
    cairo_t* cairo = canvas.context();
    const auto pixel = [&](Point p) {
        return axes.at(chart.first.x + p.x * chart.spacing, chart.first.y + p.y * chart.spacing);
    };
    const double step = levels.size() > 1 ? levels[1] - levels[0] : 1;
    for (const double level : levels) {
        // Values about zero are noise as often as not: no contour there.
        if (std::abs(level) < 1e-9 * step) continue;
        for (const Segment& segment : contour_segments(chart.values, chart.columns, chart.rows, level)) {
            const Point a = pixel(segment.from), b = pixel(segment.to);
            cairo_move_to(cairo, a.x, a.y);
            cairo_line_to(cairo, b.x, b.y);
        }
        cairo_set_source_rgba(cairo, 0, 0, 0, 0.6);
        cairo_set_line_width(cairo, 0.9);
        cairo_set_line_cap(cairo, CAIRO_LINE_CAP_ROUND);
        cairo_stroke(cairo);
    }
}

// A line that shows on any colour: white on a black edge.
void draw_outline(Canvas& canvas, const MapChart& chart, const Axes& axes)
{
    if (chart.outline.empty()) return;
    std::vector<Point> points;
    for (const Point& p : chart.outline) points.push_back(axes.at(p.x, p.y));
    points.push_back(points.front());
    canvas.polyline(points, {black, 3.2});
    canvas.polyline(points, {{1, 1, 1}, 1.4, Dash::dashed});
}

void draw_markers(Canvas& canvas, const MapChart& chart, const Axes& axes)
{
    for (const Marker& marker : chart.markers) {
        const Point at = axes.at(marker.at.x, marker.at.y);
        canvas.disc(at, 5, black);
        canvas.disc(at, 3.3, {1, 1, 1});
        canvas.text({at.x + 7, at.y - 6}, marker.label, 0.85 * text_size, Align::start, Align::end);
    }
}

// The colour bar in `bar`, its ticks, and the label of the values.
void draw_colour_bar(Canvas& canvas, const MapChart& chart, Range range, std::span<const double> levels, Box bar)
{
    for (double y = bar.top; y < bar.bottom; ++y)
        canvas.fill({bar.left, y, bar.right, y + 1},
                    colour_at(chart.scale, (bar.bottom - y - 0.5) / (bar.bottom - bar.top)));
    canvas.outline(bar, {black, 1});
    const double step = levels.size() > 1 ? levels[1] - levels[0] : 1;
    double widest = 0;
    for (const double level : levels) {
        const double y =
            std::round(bar.bottom - (level - range.low) / (range.high - range.low) * (bar.bottom - bar.top)) + 0.5;
        canvas.polyline(std::vector<Point>{{bar.left, y}, {bar.right + 4, y}}, {black, 1});
        const std::string text = tick_text(level, step);
        canvas.text({bar.right + 7, y}, text, text_size, Align::start, Align::centre);
        widest = std::max(widest, canvas.text_width(text, text_size));
    }
    canvas.text({bar.right + 7 + widest + 1.2 * text_size, (bar.top + bar.bottom) / 2}, chart.value_label,
                1.1 * text_size, Align::centre, Align::start, black, true);
}

// A bar of a round length about a quarter of the frame's width, below its left end.
void draw_scale_bar(Canvas& canvas, const MapChart& chart, const Axes& axes, const Box& frame)
{
    const double width = chart.columns * chart.spacing;
    const double power = std::pow(10.0, std::floor(std::log10(width / 4)));
    double length = power;
    for (const double factor : {2.0, 5.0})
        if (factor * power <= width / 4) length = factor * power;
    const double pixels = axes.at(length, 0).x - axes.at(0, 0).x;
    const double y = frame.bottom + 1.2 * text_size;
    canvas.fill({frame.left, y, frame.left + pixels, y + 5}, black);
    canvas.text({frame.left + pixels + 0.5 * text_size, y + 2.5}, tick_text(length, length) + " " + chart.unit,
                text_size, Align::start, Align::centre);
}

}  // namespace

std::string map_chart_png(const MapChart& chart)
{
    const Range x{chart.first.x - chart.spacing / 2, chart.first.x + (chart.columns - 0.5) * chart.spacing};
    const Range y{chart.first.y - chart.spacing / 2, chart.first.y + (chart.rows - 0.5) * chart.spacing};
    const double scale = longer_side / std::max(x.high - x.low, y.high - y.low);
    const Range values = value_range(chart);

    // The frame first, the colour bar right of it, and the canvas about both.
    Canvas measure(1, 1);
    const double left = chart.axes ? 2.8 * text_size + Axes::y_tick_width(measure, y, text_size) : text_size;
    const double top = chart.title.empty() ? text_size : 3 * text_size;
    const Box frame{left, top, left + (x.high - x.low) * scale, top + (y.high - y.low) * scale};
    const Box bar{frame.right + 1.5 * text_size, top, frame.right + 1.5 * text_size + bar_width,
                  top + std::max(frame.bottom - frame.top, least_bar)};
    const std::vector<double> bar_ticks = ticks(values, tick_count);
    double widest = 0;
    for (const double tick : bar_ticks)
        widest =
            std::max(widest, measure.text_width(tick_text(tick, bar_ticks.size() > 1 ? bar_ticks[1] - bar_ticks[0] : 1),
                                                text_size));
    // Wide enough for the title too, which is centred over the frame where it fits.
    const double title_size = 1.15 * text_size;
    const double half_title = measure.text_width(chart.title, title_size) / 2 + text_size;
    const double width = std::max(bar.right + 7 + widest + 3 * text_size, 2 * half_title);
    const double title_centre = std::clamp((frame.left + frame.right) / 2, half_title, width - half_title);
    const double height = std::max(frame.bottom, bar.bottom) + (chart.axes ? 4 : 3) * text_size;

    Canvas canvas(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
    if (!chart.title.empty())
        canvas.text({title_centre, 1.2 * text_size}, chart.title, title_size, Align::centre, Align::start);
    paint_values(canvas, chart, frame, values);
    Axes axes(canvas, frame, x, y);
    canvas.clip(frame);
    if (chart.contours) draw_contours(canvas, chart, axes, ticks(values, level_count));
    draw_outline(canvas, chart, axes);
    draw_markers(canvas, chart, axes);
    canvas.unclip();
    if (chart.axes)
        axes.draw_frame(chart.x_label, chart.y_label, text_size, false);
    else {
        canvas.outline(frame, {black, 1});
        draw_scale_bar(canvas, chart, axes, frame);
    }
    draw_colour_bar(canvas, chart, values, bar_ticks, bar);
    return canvas.png();
}

}  // namespace voxmill::picture
