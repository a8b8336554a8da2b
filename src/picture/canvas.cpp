#include "picture/canvas.hpp"

#include <cairo.h>

#include <cmath>
#include <string>

#include "system/failure.hpp"

namespace voxmill::picture {

namespace {

void set_pen(cairo_t* cairo, const Pen& pen)
{
    cairo_set_source_rgb(cairo, pen.colour.red, pen.colour.green, pen.colour.blue);
    cairo_set_line_width(cairo, pen.width);
    const double dashed[] = {6 * pen.width, 4 * pen.width};
    const double dotted[] = {pen.width, 2.5 * pen.width};
    switch (pen.dash) {
    case Dash::solid: cairo_set_dash(cairo, nullptr, 0, 0); break;
    case Dash::dashed: cairo_set_dash(cairo, dashed, 2, 0); break;
    case Dash::dotted: cairo_set_dash(cairo, dotted, 2, 0); break;
    }
}

void check(cairo_status_t status)
{
    if (status != CAIRO_STATUS_SUCCESS)
        throw Failure(std::string("cannot draw the picture: ") + cairo_status_to_string(status));
}

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

#ifdef __SANITIZE_ADDRESS__
// fontconfig, which Cairo asks for the sans-serif font, drops a few small
// allocations of its own that LeakSanitizer would report at every exit.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
      cairo_(cairo_create(surface_))
{
    check(cairo_status(cairo_));
    cairo_set_source_rgb(cairo_, 1, 1, 1);
    cairo_paint(cairo_);
    cairo_select_font_face(cairo_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_line_join(cairo_, CAIRO_LINE_JOIN_ROUND);
}

Canvas::~Canvas()
{
    cairo_destroy(cairo_);
    cairo_surface_destroy(surface_);
}

void Canvas::polyline(std::span<const Point> points, const Pen& pen)
{
    if (points.empty()) return;
    cairo_move_to(cairo_, points[0].x, points[0].y);
    for (const Point& point : points.subspan(1)) cairo_line_to(cairo_, point.x, point.y);
    set_pen(cairo_, pen);
    cairo_stroke(cairo_);
}

void Canvas::disc(Point centre, double radius, Colour colour)
{
    cairo_new_sub_path(cairo_);
    cairo_arc(cairo_, centre.x, centre.y, radius, 0, 2 * M_PI);
    cairo_set_source_rgb(cairo_, colour.red, colour.green, colour.blue);
    cairo_fill(cairo_);
}

void Canvas::fill(const Box& box, Colour colour)
{
    cairo_rectangle(cairo_, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_set_source_rgb(cairo_, colour.red, colour.green, colour.blue);
    cairo_fill(cairo_);
}

void Canvas::outline(const Box& box, const Pen& pen)
{
    cairo_rectangle(cairo_, box.left, box.top, box.right - box.left, box.bottom - box.top);
    set_pen(cairo_, pen);
    cairo_stroke(cairo_);
}

void Canvas::clip(const Box& box)
{
    cairo_save(cairo_);
    cairo_rectangle(cairo_, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_clip(cairo_);
}

void Canvas::unclip() { cairo_restore(cairo_); }

void Canvas::text(Point at, std::string_view text, double size, Align across, Align down, Colour colour, bool upright)
{
    const std::string utf8(text);
    cairo_set_font_size(cairo_, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cairo_, utf8.c_str(), &extents);
    const double capitals = 0.73 * size;  // the height of a capital or a digit in the sans-serif fonts
    const double shift[] = {0, 0.5, 1};
    cairo_save(cairo_);
    cairo_translate(cairo_, at.x, at.y);
    if (upright) cairo_rotate(cairo_, -M_PI / 2);
    cairo_move_to(cairo_, -extents.x_advance * shift[static_cast<int>(across)],
                  capitals * (1 - shift[static_cast<int>(down)]));
    cairo_set_source_rgb(cairo_, colour.red, colour.green, colour.blue);
    cairo_show_text(cairo_, utf8.c_str());
    cairo_restore(cairo_);
}

double Canvas::text_width(std::string_view text, double size)
{
    const std::string utf8(text);
    cairo_set_font_size(cairo_, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cairo_, utf8.c_str(), &extents);
    return extents.x_advance;
}

std::string Canvas::png()
{
    check(cairo_status(cairo_));
    cairo_surface_flush(surface_);
    std::string bytes;
    check(cairo_surface_write_to_png_stream(surface_, append, &bytes));
    return bytes;
}

}  // namespace voxmill::picture
