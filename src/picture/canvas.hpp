// A picture in pixels, written as PNG: lines, discs, boxes and text on a white
// ground, drawn by Cairo with no display. It knows nothing of what it shows.
#pragma once

#include <span>
#include <string>
#include <string_view>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace voxmill::picture {

struct Colour {
    double red, green, blue;  // from 0 to 1
};

inline constexpr Colour black{0, 0, 0};

// In pixels from the top left corner, y downwards.
struct Point {
    double x, y;
};

struct Box {
    double left, top, right, bottom;
};

enum class Dash { solid, dashed, dotted };

struct Pen {
    Colour colour = black;
    double width = 1;
    Dash dash = Dash::solid;
};

// Where the point of a text lies on it: at its start (left or top), centre or
// end (right or bottom).
enum class Align { start, centre, end };

class Canvas {
public:
    // A white picture of `width` x `height` pixels.
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }

    void polyline(std::span<const Point> points, const Pen& pen);
    void disc(Point centre, double radius, Colour colour);
    void fill(const Box& box, Colour colour);
    void outline(const Box& box, const Pen& pen);

    // Later drawing shows only inside `box`, until unclip().
    void clip(const Box& box);
    void unclip();

    // UTF-8 `text` in the sans-serif font, `size` pixels high, placed so that
    // `at` is at its `across` and `down` alignment (down by the height of its
    // capitals, so that digits centre on a tick); `upright` turns it a quarter
    // turn anticlockwise, to read from the bottom up.
    void text(Point at, std::string_view text, double size, Align across, Align down, Colour colour = black,
              bool upright = false);
    double text_width(std::string_view text, double size);

    // The bytes of a PNG file of the picture; throws Failure if Cairo fails.
    std::string png();

    // For drawings of their own by the other files of this folder.
    cairo_t* context() { return cairo_; }

private:
    int width_, height_;
    cairo_surface_t* surface_;
    cairo_t* cairo_;
};

}  // namespace voxmill::picture
