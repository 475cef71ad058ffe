// The sea itself: the water background, the upper and lower relief, the
// status bar with its air gauge, and the dialog window.
#include <algorithm>
#include <cmath>

#include "Painters.h"

namespace art {

namespace {

struct Point {
    double x, depth;
};

// Smooth curve through control points (zero slope at each point), plus
// small rocky bumps that fade out towards both ends so joins stay exact.
double Contour(const std::vector<Point>& points, double x, std::uint32_t seed, double width) {
    double base = points.back().depth;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (x >= points[i].x && x <= points[i + 1].x) {
            const double t = (x - points[i].x) / (points[i + 1].x - points[i].x);
            const double s = (1 - std::cos(t * kPi)) / 2;
            base = points[i].depth + (points[i + 1].depth - points[i].depth) * s;
            break;
        }
    }
    const double fade = std::clamp(std::min(x, width - x) / 14.0, 0.0, 1.0);
    const double bumps =
        (Noise(x / 9.0, 0.5, seed) - 0.5) * 9 + (Noise(x / 3.0, 4.5, seed + 1) - 0.5) * 3;
    return base + bumps * fade;
}

} // namespace

// A per-pixel texture painted through an ARGB image: `shade(x, y)` gives a
// signed brightness change, drawn as black or white with that strength.
void PaintTexture(cairo_t* cr, int width, int height,
                  const std::function<double(int, int)>& shade) {
    cairo_surface_t* tex = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    unsigned char* data = cairo_image_surface_get_data(tex);
    const int stride = cairo_image_surface_get_stride(tex);
    for (int y = 0; y < height; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const double v = std::clamp(shade(x, y), -1.0, 1.0);
            const auto a = static_cast<std::uint32_t>(std::lround(std::abs(v) * 255));
            const std::uint32_t c = v > 0 ? a : 0; // premultiplied white or black
            row[x] = (a << 24) | (c << 16) | (c << 8) | c;
        }
    }
    cairo_surface_mark_dirty(tex);
    cairo_set_source_surface(cr, tex, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(tex);
}

namespace {

constexpr double kJoinDepth = 40; // every upper group starts and ends this deep

struct Group {
    std::vector<Point> points;
    std::vector<std::string> names;
    std::vector<int> widths;
    std::uint32_t seed;
};

void PaintRock(cairo_t* cr, const Group& g, int width, int height) {
    auto depth = [&](double x) { return Contour(g.points, x, g.seed, width); };
    cairo_new_path(cr);
    cairo_move_to(cr, 0, -2);
    cairo_line_to(cr, width, -2);
    for (int x = width; x >= 0; --x)
        cairo_line_to(cr, x, depth(x));
    cairo_close_path(cr);
    cairo_path_t* rock = cairo_copy_path(cr);
    FillPattern(cr, Linear(0, 0, 0, 230,
                           {{0, 0x5A6270}, {0.25, 0x444C5C}, {0.7, 0x2E3444}, {1, 0x222634}}));
    cairo_save(cr);
    cairo_append_path(cr, rock);
    cairo_clip(cr);
    // Blotches, strata and grain; faded out near the group's ends.
    PaintTexture(cr, width, height, [&](int x, int y) {
        const double fade = std::clamp(std::min(x, width - 1 - x) / 24.0, 0.0, 1.0);
        const double n = Noise(x / 14.0, y / 9.0, g.seed + 7) - 0.5;
        const double strata = std::sin(y / 5.0 + Noise(x / 30.0, y / 40.0, g.seed + 8) * 6) * 0.5;
        const double grain = Noise(x / 1.7, y / 1.7, g.seed + 9) - 0.5;
        return (fade * 0.7 + 0.3) * grain * 0.16 + fade * (n * 0.3 + strata * 0.1);
    });
    // Cracks.
    Random rnd(g.seed + 11);
    SetColor(cr, 0x10141C, 0.65);
    cairo_set_line_width(cr, 1.0);
    for (int i = 0; i < width / 60 + 1; ++i) {
        double x = rnd.Uniform(12, width - 12);
        double y = rnd.Uniform(4, 20);
        cairo_move_to(cr, x, y);
        for (int k = 0; k < 6; ++k) {
            x += rnd.Uniform(-6, 6);
            y += rnd.Uniform(4, 10);
            if (y > depth(x) - 6)
                break;
            cairo_line_to(cr, x, y);
        }
        cairo_stroke(cr);
    }
    // Moss along the underside and hanging strands.
    cairo_new_path(cr);
    for (int x = 0; x <= width; ++x)
        cairo_line_to(cr, x, depth(x) - 3);
    SetColor(cr, 0x3E6A34);
    cairo_set_line_width(cr, 6);
    cairo_stroke(cr);
    cairo_new_path(cr);
    for (int x = 0; x <= width; ++x)
        cairo_line_to(cr, x, depth(x) - 6);
    SetColor(cr, 0x5A8A40, 0.6);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_restore(cr);
    // Dark outline along the underside only: the sides are joins.
    cairo_new_path(cr);
    for (int x = 0; x <= width; ++x)
        cairo_line_to(cr, x, depth(x));
    SetColor(cr, 0x0E1218);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    cairo_path_destroy(rock);
    // Strands and barnacles hanging below the edge (never closer than 12 px to an end).
    for (int i = 0; i < width / 22; ++i) {
        const double x = rnd.Uniform(12, width - 12);
        const double y = depth(x);
        const double len = rnd.Uniform(4, 9);
        cairo_move_to(cr, x, y - 1);
        cairo_curve_to(cr, x + 2, y + len * 0.4, x - 2, y + len * 0.7, x + 1, y + len);
        SetColor(cr, 0x1E3A18);
        cairo_set_line_width(cr, 2.4);
        cairo_stroke_preserve(cr);
        SetColor(cr, 0x6A9A44);
        cairo_set_line_width(cr, 1.1);
        cairo_stroke(cr);
    }
    for (int i = 0; i < width / 30; ++i) {
        const double x = rnd.Uniform(12, width - 12);
        const double y = depth(x) - rnd.Uniform(4, 12);
        Ellipse(cr, x, y, 2.4, 2);
        FillOutline(cr, Radial(x - 0.6, y - 0.6, 0, 2.6, {{0, 0xF0ECE0}, {1, 0x9A948A}}), 0x3A3830,
                    0.8);
        Ellipse(cr, x, y, 0.8, 0.7);
        SetColor(cr, 0x3A3830);
        cairo_fill(cr);
    }
}

std::vector<Group> UpperGroups() {
    const double j = kJoinDepth;
    return {
        {{{0, 6}, {40, 26}, {95, 72}, {128, 56}, {160, j}}, {"uprelief1"}, {160}, 101},
        {{{0, j}, {32, 58}, {70, 74}, {120, 28}, {160, 6}}, {"uprelief2"}, {160}, 102},
        {{{0, j}, {26, 66}, {50, 160}, {64, 190}, {80, 150}, {104, 64}, {130, j}},
         {"uprelief3"},
         {130},
         103},
        {{{0, j},
          {40, 62},
          {80, 110},
          {130, 152},
          {170, 196},
          {212, 214},
          {252, 216},
          {292, 198},
          {330, 156},
          {372, 120},
          {420, 78},
          {456, 52},
          {480, j}},
         {"uprelief4-1", "uprelief4-2", "uprelief4-3", "uprelief4-4", "uprelief4-5", "uprelief4-6"},
         {80, 80, 80, 80, 80, 80},
         104},
        {{{0, j},
          {30, 72},
          {62, 128},
          {88, 140},
          {112, 98},
          {140, 72},
          {170, 112},
          {200, 152},
          {226, 138},
          {252, 80},
          {280, j}},
         {"uprelief5-1", "uprelief5-2", "uprelief5-3", "uprelief5-4"},
         {70, 70, 70, 70},
         105},
    };
}

} // namespace

std::vector<Picture> UpperRelief() {
    std::vector<Picture> out;
    for (const Group& g : UpperGroups()) {
        int width = 0;
        for (int w : g.widths)
            width += w;
        const int height = 240;
        Picture whole =
            Sprite("", width, height, [&](cairo_t* cr) { PaintRock(cr, g, width, height); });
        int x = 0;
        for (std::size_t i = 0; i < g.names.size(); ++i) {
            // Each piece is as tall as its lowest opaque pixel, so its box
            // (which is what the diver bumps into) matches the rock.
            int bottom = 1;
            for (int y = 0; y < height; ++y) {
                for (int col = x; col < x + g.widths[i]; ++col) {
                    if (whole.At(col, y) != 0)
                        bottom = y + 1;
                }
            }
            out.push_back(Crop(whole, g.names[i], x, 0, g.widths[i], bottom));
            x += g.widths[i];
        }
    }
    return out;
}

namespace {

constexpr int kFloorHeight = 127;
constexpr double kSandEdge = 40; // sand surface at both ends of every floor piece

struct FloorPiece {
    const char* name;
    int width;
    std::uint32_t seed;
    int rocks; // 0 none, 1 a few pebbles, 2 a big outcrop
};

void PaintFloor(cairo_t* cr, const FloorPiece& p) {
    const int w = p.width;
    auto surface = [&](double x) {
        const double t = x / w;
        const double dune = std::sin(t * kPi) * std::sin(t * kPi * 2 + p.seed) * 8;
        const double fade = std::clamp(std::min(x, w - x) / 12.0, 0.0, 1.0);
        return kSandEdge - dune * std::sin(t * kPi) + (Noise(x / 7.0, 1, p.seed) - 0.5) * 3 * fade;
    };
    cairo_new_path(cr);
    cairo_move_to(cr, 0, kFloorHeight + 2);
    for (int x = 0; x <= w; ++x)
        cairo_line_to(cr, x, surface(x));
    cairo_line_to(cr, w, kFloorHeight + 2);
    cairo_close_path(cr);
    cairo_path_t* sand = cairo_copy_path(cr);
    FillPattern(cr, Linear(0, kSandEdge - 8, 0, kFloorHeight,
                           {{0, 0xE2C688}, {0.25, 0xC8A86A}, {0.7, 0x9A7E4E}, {1, 0x6A5638}}));
    cairo_save(cr);
    cairo_append_path(cr, sand);
    cairo_clip(cr);
    PaintTexture(cr, w, kFloorHeight, [&](int x, int y) {
        const double fade = std::clamp(std::min(x, w - 1 - x) / 8.0, 0.0, 1.0);
        const double grain = Noise(x / 1.3, y / 1.3, p.seed + 3) - 0.5;
        const double ripple =
            std::sin(x / 6.0 + y * 0.9 + Noise(x / 20.0, y / 10.0, p.seed + 4) * 4) * 0.5;
        return fade * (grain * 0.22 + ripple * 0.07 * std::clamp((70.0 - y) / 30.0, 0.0, 1.0));
    });
    // Light catching the crest of the sand.
    cairo_new_path(cr);
    for (int x = 0; x <= w; ++x)
        cairo_line_to(cr, x, surface(x) + 1.5);
    SetColor(cr, 0xFFEAB0, 0.75);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    Random rnd(p.seed + 5);
    // Pebbles and shells, kept away from the ends.
    for (int i = 0; i < w / 18; ++i) {
        const double x = rnd.Uniform(10, w - 10);
        const double y = rnd.Uniform(surface(x) + 6, kFloorHeight - 4);
        const double r = rnd.Uniform(1.5, 3.5);
        const std::uint32_t c = Mix(0x7A7068, 0xC8B8A0, rnd.Uniform(0, 1));
        Ellipse(cr, x, y, r * 1.3, r);
        FillOutline(
            cr,
            Radial(x - r * 0.4, y - r * 0.4, 0, r * 1.4, {{0, Shade(c, 1.3)}, {1, Shade(c, 0.75)}}),
            Shade(c, 0.35), 0.8);
    }
    cairo_restore(cr);
    cairo_append_path(cr, sand);
    cairo_new_path(cr);
    cairo_path_destroy(sand);

    if (p.rocks == 2) {
        // A dark outcrop rising from the sand.
        const double cx = w * 0.5;
        cairo_new_path(cr);
        cairo_move_to(cr, cx - 62, surface(cx - 62) + 6);
        cairo_curve_to(cr, cx - 56, 30, cx - 44, 14, cx - 26, 10);
        cairo_curve_to(cr, cx - 16, 2, cx + 2, 0, cx + 14, 8);
        cairo_curve_to(cr, cx + 30, 10, cx + 50, 24, cx + 62, surface(cx + 62) + 6);
        cairo_close_path(cr);
        cairo_path_t* rock = cairo_copy_path(cr);
        FillPattern(cr, Linear(0, 0, 0, 50, {{0, 0x5A6270}, {0.5, 0x3A4050}, {1, 0x262A36}}));
        cairo_save(cr);
        cairo_append_path(cr, rock);
        cairo_clip(cr);
        PaintTexture(cr, w, kFloorHeight, [&](int x, int y) {
            return (Noise(x / 8.0, y / 6.0, p.seed + 6) - 0.5) * 0.5 +
                   (Noise(x / 1.8, y / 1.8, p.seed + 7) - 0.5) * 0.2;
        });
        Ellipse(cr, cx - 10, 8, 30, 7);
        SetColor(cr, 0x4A8A3A, 0.85);
        cairo_fill(cr);
        cairo_restore(cr);
        cairo_append_path(cr, rock);
        SetColor(cr, 0x0E1218);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_path_destroy(rock);
        Gloss(cr, cx - 6, 26, 40, 18, kPi * 1.15, kPi * 1.55, 1.5, 0.35);
    }
    if (p.rocks == 1) {
        for (int i = 0; i < 2; ++i) {
            const double cx = w * (0.3 + 0.4 * i);
            const double r = 9 + i * 4;
            const double base = surface(cx) + 4;
            cairo_new_path(cr);
            cairo_move_to(cr, cx - r * 1.4, base);
            cairo_curve_to(cr, cx - r * 1.3, base - r * 1.3, cx + r * 1.2, base - r * 1.5,
                           cx + r * 1.4, base);
            cairo_close_path(cr);
            FillOutline(cr, Linear(0, base - r * 1.3, 0, base, {{0, 0x6A7282}, {1, 0x343A48}}),
                        0x0E1218, 1.6);
        }
    }
    if (p.rocks == 3) {
        // A sea star and a scallop on a flat stretch.
        const double sx = w * 0.35, sy = surface(w * 0.35) + 14;
        cairo_new_path(cr);
        for (int i = 0; i < 10; ++i) {
            const double a = -kPi / 2 + i * kPi / 5 + 0.2;
            const double r = i % 2 ? 3.2 : 8;
            cairo_line_to(cr, sx + std::cos(a) * r, sy + std::sin(a) * r * 0.7);
        }
        cairo_close_path(cr);
        FillOutline(cr, Radial(sx, sy, 0, 8, {{0, 0xFFC070}, {1, 0xE06020}}), 0x5A2004, 1.0);
        const double cx = w * 0.72, cy = surface(w * 0.72) + 12;
        cairo_new_path(cr);
        cairo_move_to(cr, cx, cy + 5);
        cairo_curve_to(cr, cx - 12, cy - 2, cx - 6, cy - 9, cx, cy - 8);
        cairo_curve_to(cr, cx + 6, cy - 9, cx + 12, cy - 2, cx, cy + 5);
        cairo_close_path(cr);
        FillOutline(cr, Linear(0, cy - 9, 0, cy + 5, {{0, 0xFFE8D8}, {1, 0xD09A80}}), 0x5A3020,
                    1.0);
        SetColor(cr, 0x8A5A40, 0.8);
        cairo_set_line_width(cr, 0.8);
        for (int i = -2; i <= 2; ++i) {
            cairo_move_to(cr, cx, cy + 4);
            cairo_line_to(cr, cx + i * 3.5, cy - 7);
        }
        cairo_stroke(cr);
    }
}

} // namespace

std::vector<Picture> LowerRelief() {
    const FloorPiece pieces[4] = {{"downrelief1", 160, 201, 1},
                                  {"downrelief2", 120, 202, 3},
                                  {"downrelief3", 200, 203, 2},
                                  {"downrelief4", 140, 204, 0}};
    std::vector<Picture> out;
    for (const FloorPiece& p : pieces) {
        out.push_back(
            Sprite(p.name, p.width, kFloorHeight, [&](cairo_t* cr) { PaintFloor(cr, p); }));
    }
    return out;
}

namespace {

// Water from the surface down, shared by the game and the menu background.
void PaintWater(cairo_t* cr, int width, int height, double surfaceY, std::uint32_t seed) {
    // Air above the surface.
    cairo_rectangle(cr, 0, 0, width, surfaceY);
    FillPattern(cr, Linear(0, 0, 0, surfaceY, {{0, 0x7AC8F0}, {1, 0xD8F4FF}}));
    cairo_rectangle(cr, 0, surfaceY, width, height - surfaceY);
    FillPattern(
        cr,
        Linear(
            0, surfaceY, 0, height,
            {{0, 0x5ACCE0}, {0.06, 0x2AA6C4}, {0.3, 0x16789E}, {0.62, 0x0C4E78}, {1, 0x062A4C}}));
    // Waves along the surface line.
    cairo_new_path(cr);
    cairo_move_to(cr, 0, surfaceY - 8);
    for (int x = 0; x <= width; x += 2) {
        cairo_line_to(cr, x, surfaceY - 3 + std::sin(x / 11.0) * 2.2 + std::sin(x / 4.3 + 1) * 0.8);
    }
    cairo_line_to(cr, width, surfaceY + 6);
    cairo_line_to(cr, 0, surfaceY + 6);
    cairo_close_path(cr);
    FillPattern(cr, Linear(0, surfaceY - 6, 0, surfaceY + 6,
                           {{0, 0xC8F8FF}, {0.5, 0x8AE4F4}, {1, 0x5ACCE0}}));
    // Sunlit ripples just under the surface.
    Random rnd(seed);
    for (int i = 0; i < width / 9; ++i) {
        const double x = rnd.Uniform(0, width);
        const double y = surfaceY + rnd.Uniform(4, 24);
        const double len = rnd.Uniform(6, 18);
        cairo_move_to(cr, x, y);
        cairo_curve_to(cr, x + len * 0.3, y - 2, x + len * 0.7, y + 2, x + len, y);
        SetColor(cr, 0xE8FCFF, 0.55 * (1 - (y - surfaceY) / 30));
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    // Light shafts, fading with depth.
    for (int i = 0; i < 7; ++i) {
        const double x = 40 + i * width / 7.0 + rnd.Uniform(-30, 30);
        const double w0 = rnd.Uniform(14, 34);
        cairo_new_path(cr);
        cairo_move_to(cr, x, surfaceY);
        cairo_line_to(cr, x + w0, surfaceY);
        cairo_line_to(cr, x + w0 + 130, height * 0.8);
        cairo_line_to(cr, x + 60, height * 0.8);
        cairo_close_path(cr);
        FillPattern(cr, Linear(0, surfaceY, 0, height * 0.8,
                               {{0, 0xE0FCFF, 0.16}, {0.6, 0xC0F0FF, 0.05}, {1, 0xC0F0FF, 0}}));
    }
    // Far reef silhouettes in the deep.
    cairo_new_path(cr);
    cairo_move_to(cr, 0, height);
    for (int x = 0; x <= width; x += 4) {
        cairo_line_to(cr, x,
                      height - 120 - Noise(x / 60.0, 3, seed) * 70 - Noise(x / 17.0, 5, seed) * 16);
    }
    cairo_line_to(cr, width, height);
    cairo_close_path(cr);
    FillPattern(cr, Linear(0, height - 200, 0, height, {{0, 0x0C4A6C, 0.9}, {1, 0x06304E, 1}}));
    // Drifting specks.
    for (int i = 0; i < width / 5; ++i) {
        const double x = rnd.Uniform(0, width), y = rnd.Uniform(surfaceY + 10, height);
        Ellipse(cr, x, y, 0.9, 0.9);
        SetColor(cr, 0xC8F0FF, rnd.Uniform(0.15, 0.45));
        cairo_fill(cr);
    }
}

} // namespace

Picture WaterBackground() {
    return Opaque("back", 800, 600, 0x0A3050,
                  [](cairo_t* cr) { PaintWater(cr, 800, 600, 102, 301); });
}

void PaintSea(cairo_t* cr, int width, int height, double surfaceY, std::uint32_t seed) {
    PaintWater(cr, width, height, surfaceY, seed);
}

void Rivet(cairo_t* cr, double x, double y) {
    Ellipse(cr, x, y, 2.6, 2.6);
    FillOutline(cr, Radial(x - 0.8, y - 0.8, 0, 3, {{0, 0xFFF0B0}, {1, 0x9A7020}}), 0x3A2804, 0.8);
}

// A sunken frame for gauges, numbers and text fields.
void Inset(cairo_t* cr, double x, double y, double w, double h) {
    RoundRect(cr, x, y, w, h, 5);
    FillOutline(cr, Linear(0, y, 0, y + h, {{0, 0x020A16}, {1, 0x0C2034}}), 0xC89A40, 1.6);
    RoundRect(cr, x + 2, y + 2, w - 4, h - 4, 3.5);
    SetColor(cr, 0x000000, 0.6);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

void Label(cairo_t* cr, const std::string& text, double x, double y, double size, Align align) {
    Text(cr, text, x, y, Font{"Liberation Sans", size, true},
         Linear(0, 0, 0, size, {{0, 0xFFF0B0}, {1, 0xE0A830}}), 0x2A1A04, 2.4, align, 1.2);
}

void PaintPanel(cairo_t* cr, double x, double y, double w, double h, double radius, bool fill) {
    RoundRect(cr, x, y, w, h, radius);
    if (fill) {
        FillOutline(cr, Linear(0, y, 0, y + h, {{0, 0x1E4468}, {0.5, 0x123050}, {1, 0x0A1E38}}),
                    0x050C18, 2);
    } else {
        SetColor(cr, 0x050C18);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    RoundRect(cr, x + 3, y + 3, w - 6, h - 6, radius - 2);
    SetColor(cr, 0xC89A40);
    cairo_set_line_width(cr, 2.4);
    cairo_stroke(cr);
    RoundRect(cr, x + 5.5, y + 5.5, w - 11, h - 11, radius - 4);
    SetColor(cr, 0x4A3008, 0.8);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

Picture StatusBar() {
    return Sprite("statusbar", 800, 88, [](cairo_t* cr) {
        // Brushed steel-blue panel with a brass rim along the bottom.
        cairo_rectangle(cr, 0, 0, 800, 84);
        FillPattern(cr, Linear(0, 0, 0, 84,
                               {{0, 0x2A5478}, {0.1, 0x1C3C5C}, {0.8, 0x0E2440}, {1, 0x0A1A30}}));
        PaintTexture(cr, 800, 84,
                     [](int x, int y) { return (Noise(x / 40.0, y / 1.2, 401) - 0.5) * 0.12; });
        cairo_rectangle(cr, 0, 82, 800, 6);
        FillPattern(cr, Linear(0, 82, 0, 88, {{0, 0xFFE08A}, {0.4, 0xC8902A}, {1, 0x5A3A0A}}));
        for (int x = 14; x < 800; x += 52)
            Rivet(cr, x, 85);
        // Level.
        Label(cr, "УРОВЕНЬ", 14, 11, 16);
        Inset(cr, 104, 6, 58, 30);
        // Bonus slots.
        Label(cr, "БОНУСЫ", 14, 50, 16);
        for (int i = 0; i < 3; ++i)
            Inset(cr, 104 + i * 40 + 3, 41, 37, 37);
        // Title plate in the middle.
        Text(cr, "BRINEHOLD", 357, 6, Font{"DejaVu Sans", 19, true},
             Linear(0, 0, 0, 22, {{0, 0xE8FCFF}, {0.5, 0x7AD8F8}, {1, 0x2A88C0}}), 0x041428, 3,
             Align::Center, 1.5);
        // Air gauge.
        Label(cr, "ВОЗДУХ", 257, 34, 15);
        Inset(cr, 252, 55, 211, 24);
        for (int i = 1; i < 10; ++i) {
            cairo_move_to(cr, 257 + i * 20 + 0.5, 76);
            cairo_line_to(cr, 257 + i * 20 + 0.5, 78);
        }
        SetColor(cr, 0xC89A40);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        // Lives.
        Label(cr, "ЖИЗНИ", 546, 12, 16, Align::Center);
        Inset(cr, 480, 36, 132, 34);
        // Score.
        Label(cr, "ОЧКИ", 717, 12, 16, Align::Center);
        Inset(cr, 648, 36, 138, 34);
        for (double x : {6.0, 794.0}) {
            Rivet(cr, x, 8);
            Rivet(cr, x, 74);
        }
    });
}

Picture AirScale() {
    Picture scale = Sprite("scale", 201, 14, [](cairo_t* cr) {
        // Red when the tank is nearly empty, through yellow to clear blue.
        cairo_rectangle(cr, 0, 0, 201, 14);
        FillPattern(cr, Linear(0, 0, 201, 0,
                               {{0, 0xE82818},
                                {0.25, 0xF8A020},
                                {0.5, 0xE8E040},
                                {0.75, 0x40D8A0},
                                {1, 0x30B8F8}}));
        cairo_rectangle(cr, 0, 0, 201, 14);
        FillPattern(cr, Linear(0, 0, 0, 14,
                               {{0, 0xFFFFFF, 0.65},
                                {0.3, 0xFFFFFF, 0.1},
                                {0.6, 0x000000, 0},
                                {1, 0x000000, 0.45}}));
        SetColor(cr, 0xFFFFFF, 0.35);
        for (int x = 0; x < 201; x += 20) {
            cairo_rectangle(cr, x, 2, 1, 10);
        }
        cairo_fill(cr);
    });
    scale.patternWidth = 1;
    scale.patternHeight = 14;
    return scale;
}

Picture DialogWindow(const std::string& name) {
    // Texts sit at (200, 165) for the title and across the body down to the
    // answers at y 350; the window at (188, 160) is 424 x 236.
    return Sprite(name, 424, 236, [](cairo_t* cr) {
        PaintPanel(cr, 1, 1, 422, 234, 14);
        // Title strip.
        RoundRect(cr, 7, 4, 410, 29, 6);
        FillOutline(cr, Linear(0, 4, 0, 33, {{0, 0x2E6A98}, {1, 0x163A60}}), 0x050C18, 1.2);
        cairo_move_to(cr, 10, 6);
        cairo_line_to(cr, 414, 6);
        SetColor(cr, 0xFFFFFF, 0.3);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        // Porthole-style bolts.
        for (auto [x, y] : {std::pair{14.0, 226.0}, {410.0, 226.0}, {406.0, 18.5}})
            Rivet(cr, x, y);
        // A few bubbles rising in the corner.
        for (int i = 0; i < 4; ++i) {
            const double r = 2 + i * 1.2;
            Ellipse(cr, 396 - i * 4, 212 - i * 14, r, r);
            FillOutline(cr, 0x5AA8D0, 0xA8E0F8, 0.9);
        }
    });
}

} // namespace art
