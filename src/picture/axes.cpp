#include "picture/axes.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace voxmill::picture {

namespace {

constexpr int x_tick_count = 8;
constexpr int y_tick_count = 6;
constexpr Colour grid_grey{0.88, 0.88, 0.88};

double tick_step(Range range, int count)
{
    const double rough = (range.high - range.low) / count;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough * 0.75) return factor * power;
    return 10 * power;
}

}  // namespace

std::vector<double> ticks(Range range, int count)
{
    std::vector<double> values;
    if (!(range.high > range.low) || !std::isfinite(range.high - range.low)) return values;
    const double step = tick_step(range, count);
    const double slack = 1e-9 * step;  // a tick on an end of the range counts as inside
    const double first = std::ceil((range.low - slack) / step), last = std::floor((range.high + slack) / step);
    // A range too narrow for its numbers to tell ticks apart gets none.
    if (!(last - first < 100) || first + 1 == first) return values;
    for (double n = first; n <= last; ++n) values.push_back(n * step);
    return values;
}

std::string tick_text(double value, double step)
{
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    if (result.find_first_not_of("-0.") == std::string::npos) return result.substr(result[0] == '-');  // no −0
    if (result[0] == '-') result.replace(0, 1, "\u2212");                                              // a true minus
    return result;
}

Range widened(Range range, double fraction)
{
    // A range too narrow for its numbers, as of a flat profile, is opened by a tenth of its value.
    const double size = std::max(std::abs(range.low), std::abs(range.high));
    if (!(range.high - range.low > 1e-9 * size)) {
        const double margin = size > 0 ? 0.1 * size : 1;
        return {range.low - margin, range.high + margin};
    }
    const double margin = fraction * (range.high - range.low);
    return {range.low - margin, range.high + margin};
}

Axes::Axes(Canvas& canvas, Box frame, Range x, Range y) : canvas_(canvas), frame_(frame), x_(x), y_(y) {}

Point Axes::at(double x, double y) const
{
    return {frame_.left + (x - x_.low) / (x_.high - x_.low) * (frame_.right - frame_.left),
            frame_.bottom - (y - y_.low) / (y_.high - y_.low) * (frame_.bottom - frame_.top)};
}

double Axes::y_tick_width(Canvas& canvas, Range y, double size)
{
    const std::vector<double> values = ticks(y, y_tick_count);
    double width = 0;
    for (const double value : values)
        width = std::max(width, canvas.text_width(tick_text(value, tick_step(y, y_tick_count)), size));
    return width;
}

void Axes::draw_frame(std::string_view x_label, std::string_view y_label, double size, bool grid)
{
    const double tick = 0.4 * size;
    const Pen grid_pen{grid_grey, 1};
    const Pen ink{black, 1};
    for (const double value : ticks(x_, x_tick_count)) {
        const double x = std::round(at(value, 0).x) + 0.5;  // whole pixels keep thin lines sharp
        if (grid) canvas_.polyline(std::vector<Point>{{x, frame_.top}, {x, frame_.bottom}}, grid_pen);
        canvas_.polyline(std::vector<Point>{{x, frame_.bottom}, {x, frame_.bottom - tick}}, ink);
        canvas_.text({x, frame_.bottom + 0.6 * size}, tick_text(value, tick_step(x_, x_tick_count)), size,
                     Align::centre, Align::start);
    }
    for (const double value : ticks(y_, y_tick_count)) {
        const double y = std::round(at(0, value).y) + 0.5;
        if (grid) canvas_.polyline(std::vector<Point>{{frame_.left, y}, {frame_.right, y}}, grid_pen);
        canvas_.polyline(std::vector<Point>{{frame_.left, y}, {frame_.left + tick, y}}, ink);
        canvas_.text({frame_.left - 0.5 * size, y}, tick_text(value, tick_step(y_, y_tick_count)), size, Align::end,
                     Align::centre);
    }
    canvas_.outline(frame_, ink);
    const double label_size = 1.1 * size;
    canvas_.text({(frame_.left + frame_.right) / 2, frame_.bottom + 2.1 * size}, x_label, label_size, Align::centre,
                 Align::start);
    canvas_.text({frame_.left - y_tick_width(canvas_, y_, size) - 1.3 * size, (frame_.top + frame_.bottom) / 2},
                 y_label, label_size, Align::centre, Align::end, black, true);
}

void Axes::line(std::span<const double> x, std::span<const double> y, const Pen& pen)
{
    std::vector<Point> points;
    for (std::size_t n = 0; n < x.size() && n < y.size(); ++n) points.push_back(at(x[n], y[n]));
    canvas_.clip(frame_);
    canvas_.polyline(points, pen);
    canvas_.unclip();
}

void Axes::markers(std::span<const double> x, std::span<const double> y, double radius, Colour colour)
{
    canvas_.clip(frame_);
    for (std::size_t n = 0; n < x.size() && n < y.size(); ++n) canvas_.disc(at(x[n], y[n]), radius, colour);
    canvas_.unclip();
}

void Axes::horizontal_line(double y, const Pen& pen)
{
    const double pixel = at(0, y).y;
    canvas_.clip(frame_);
    canvas_.polyline(std::vector<Point>{{frame_.left, pixel}, {frame_.right, pixel}}, pen);
    canvas_.unclip();
}

void Axes::vertical_line(double x, const Pen& pen)
{
    const double pixel = at(x, 0).x;
    canvas_.clip(frame_);
    canvas_.polyline(std::vector<Point>{{pixel, frame_.top}, {pixel, frame_.bottom}}, pen);
    canvas_.unclip();
}

namespace {

constexpr double legend_sample = 2.2, legend_gap = 0.5, legend_spacing = 1.6;  // in text sizes

double entry_width(Canvas& canvas, const LegendEntry& entry, double size)
{
    return (legend_sample + legend_gap) * size + canvas.text_width(entry.label, size);
}

}  // namespace

std::vector<std::span<const LegendEntry>> Axes::legend_rows(Canvas& canvas, std::span<const LegendEntry> entries,
                                                            double size, const Box& frame)
{
    std::vector<std::span<const LegendEntry>> rows;
    std::size_t first = 0;
    double width = 0;
    for (std::size_t n = 0; n < entries.size(); ++n) {
        width += entry_width(canvas, entries[n], size) + (n > first ? legend_spacing * size : 0);
        if (width > frame.right - frame.left && n > first) {
            rows.push_back(entries.subspan(first, n - first));
            first = n;
            width = entry_width(canvas, entries[n], size);
        }
    }
    if (first < entries.size()) rows.push_back(entries.subspan(first));
    return rows;
}

void Axes::legend(std::span<const LegendEntry> entries, double size)
{
    const auto rows = legend_rows(canvas_, entries, size, frame_);
    double y = frame_.top - size - 1.5 * size * static_cast<double>(rows.size() - 1);
    for (const auto row : rows) {
        double width = -legend_spacing * size;
        for (const LegendEntry& entry : row) width += entry_width(canvas_, entry, size) + legend_spacing * size;
        double x = (frame_.left + frame_.right - width) / 2;
        for (const LegendEntry& entry : row) {
            canvas_.polyline(std::vector<Point>{{x, y}, {x + legend_sample * size, y}}, entry.pen);
            if (entry.marker) canvas_.disc({x + legend_sample * size / 2, y}, 0.22 * size, entry.pen.colour);
            canvas_.text({x + (legend_sample + legend_gap) * size, y}, entry.label, size, Align::start, Align::centre);
            x += entry_width(canvas_, entry, size) + legend_spacing * size;
        }
        y += 1.5 * size;
    }
}

}  // namespace voxmill::picture
