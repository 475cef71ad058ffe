// Drawing kit of the picture generator: the in-memory picture list and the
// cairo helpers every painter shares (colours, gradients, outlined shapes,
// text, a seeded random source). Everything here is deterministic.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace art {

// One image item as it goes into an archive. Pixels are 0x00RRGGBB, top row
// first; with `transparent` set, 0 is the key colour and no opaque pixel is 0.
struct Picture {
    std::string name; // empty for items addressed by position only
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    int patternWidth = 0;
    int patternHeight = 0;
    bool transparent = true;

    int PatternCount() const;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

using Painter = std::function<void(cairo_t*)>;
using FramePainter = std::function<void(cairo_t*, int frame)>;

// A sprite: painted anti-aliased on a transparent surface, then every pixel
// under half coverage becomes the key colour and every other one its
// un-premultiplied colour, fully opaque. Edges stay crisp without a dark halo.
Picture Sprite(const std::string& name, int width, int height, const Painter& paint);
// `count` frames of frameWidth x height laid left to right, each painted with
// the origin at its own top-left corner and clipped to its cell.
Picture Strip(const std::string& name, int frameWidth, int height, int count,
              const FramePainter& paint);
// An opaque picture (backgrounds, help pages): painted over `base`.
Picture Opaque(const std::string& name, int width, int height, std::uint32_t base,
               const Painter& paint);

// Copies a rectangle out of a picture (used to cut menu highlights out of the
// screen they lie on, so they cover their entry exactly).
Picture Crop(const Picture& source, const std::string& name, int x, int y, int width, int height);

// Colours are 0xRRGGBB.
void SetColor(cairo_t* cr, std::uint32_t rgb, double alpha = 1.0);
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, double t); // t = 0 gives a
std::uint32_t Shade(std::uint32_t rgb, double factor);         // < 1 darker, > 1 lighter

struct Stop {
    double offset;
    std::uint32_t rgb;
    double alpha = 1.0;
};
cairo_pattern_t* Linear(double x0, double y0, double x1, double y1,
                        std::initializer_list<Stop> stops);
cairo_pattern_t* Radial(double cx, double cy, double r0, double r1,
                        std::initializer_list<Stop> stops, double fx = -1e9, double fy = -1e9);
// Fills the current path with `pattern` (consumed) and strokes it with the
// outline colour; keeps nothing of the path.
void FillOutline(cairo_t* cr, cairo_pattern_t* pattern, std::uint32_t outline, double lineWidth);
void FillOutline(cairo_t* cr, std::uint32_t fill, std::uint32_t outline, double lineWidth);
void FillPattern(cairo_t* cr, cairo_pattern_t* pattern); // fill current path, consume pattern

// Paints with the origin moved to (x, y) and scaled, leaving the cairo state
// as it was.
void Place(cairo_t* cr, double x, double y, double scale, const Painter& paint);

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A glossy white highlight stroke along an ellipse arc (angles in radians).
void Gloss(cairo_t* cr, double cx, double cy, double rx, double ry, double a0, double a1,
           double width, double alpha = 0.8);
// An eye: white ball, dark pupil looking in direction dx, small glint.
void Eye(cairo_t* cr, double cx, double cy, double r, double dx = -0.35,
         std::uint32_t iris = 0x101820);

enum class Align { Left, Center, Right };
struct Font {
    const char* family = "Liberation Sans";
    double size = 20;
    bool bold = true;
};
double TextWidth(cairo_t* cr, const std::string& utf8, const Font& font);
// Text with its cell's top at y (like a text-out call), optional outline and
// drop shadow. Returns the width.
double Text(cairo_t* cr, const std::string& utf8, double x, double y, const Font& font,
            cairo_pattern_t* fill, std::uint32_t outline = 0, double outlineWidth = 0,
            Align align = Align::Left, double shadow = 0);
double Text(cairo_t* cr, const std::string& utf8, double x, double y, const Font& font,
            std::uint32_t fill, std::uint32_t outline = 0, double outlineWidth = 0,
            Align align = Align::Left, double shadow = 0);
// Largest font size (<= font.size) at which the text fits into maxWidth.
Font FitFont(cairo_t* cr, const std::string& utf8, Font font, double maxWidth);

// A small seeded generator (xorshift), so every run draws the same picture.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t Next();
    double Uniform(double lo, double hi);
    int Int(int lo, int hi); // inclusive
private:
    std::uint32_t state_;
};

// Smooth value noise in 0..1 (periodic in x with `period` when it is > 0).
double Noise(double x, double y, std::uint32_t seed, int period = 0);

constexpr double kPi = 3.14159265358979323846;

} // namespace art
