#include "Art.h"

#include <algorithm>
#include <cmath>

namespace art {

int Picture::PatternCount() const {
    const int pw = patternWidth > 0 ? patternWidth : width;
    const int ph = patternHeight > 0 ? patternHeight : height;
    if (pw <= 0 || ph <= 0)
        return 0;
    return (width / pw) * (height / ph);
}

namespace {

std::uint32_t NonKey(std::uint32_t rgb) {
    return rgb == 0 ? 0x010101u : rgb;
}

// Reads an ARGB32 surface into keyed pixels (see Sprite()).
void ReadKeyed(cairo_surface_t* surface, Picture& picture, int offsetX) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    for (int y = 0; y < h; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t a = p >> 24;
            std::uint32_t out = 0;
            if (a >= 128) {
                auto un = [a](std::uint32_t c) {
                    return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a);
                };
                out = NonKey((un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) |
                             un(p & 0xFF));
            }
            picture.pixels[static_cast<std::size_t>(y) * picture.width + offsetX + x] = out;
        }
    }
}

} // namespace

Picture Sprite(const std::string& name, int width, int height, const Painter& paint) {
    return Strip(name, width, height, 1, [&](cairo_t* cr, int) { paint(cr); });
}

Picture Strip(const std::string& name, int frameWidth, int height, int count,
              const FramePainter& paint) {
    Picture picture;
    picture.name = name;
    picture.width = frameWidth * count;
    picture.height = height;
    picture.pixels.assign(static_cast<std::size_t>(picture.width) * height, 0);
    if (count > 1) {
        picture.patternWidth = frameWidth;
        picture.patternHeight = height;
    }
    for (int i = 0; i < count; ++i) {
        cairo_surface_t* surface =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frameWidth, height);
        cairo_t* cr = cairo_create(surface);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        paint(cr, i);
        cairo_destroy(cr);
        ReadKeyed(surface, picture, i * frameWidth);
        cairo_surface_destroy(surface);
    }
    return picture;
}

Picture Opaque(const std::string& name, int width, int height, std::uint32_t base,
               const Painter& paint) {
    Picture picture;
    picture.name = name;
    picture.width = width;
    picture.height = height;
    picture.transparent = false;
    picture.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SetColor(cr, base);
    cairo_paint(cr);
    paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            picture.pixels[static_cast<std::size_t>(y) * width + x] = NonKey(row[x] & 0xFFFFFF);
        }
    }
    cairo_surface_destroy(surface);
    return picture;
}

Picture Crop(const Picture& source, const std::string& name, int x, int y, int width, int height) {
    Picture picture;
    picture.name = name;
    picture.width = width;
    picture.height = height;
    picture.transparent = source.transparent;
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            picture.pixels[static_cast<std::size_t>(row) * width + col] =
                source.At(x + col, y + row);
        }
    }
    return picture;
}

void SetColor(cairo_t* cr, std::uint32_t rgb, double alpha) {
    cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                          (rgb & 0xFF) / 255.0, alpha);
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double ca = (a >> shift) & 0xFF;
        const double cb = (b >> shift) & 0xFF;
        out |= static_cast<std::uint32_t>(std::lround(ca + (cb - ca) * t)) << shift;
    }
    return out;
}

std::uint32_t Shade(std::uint32_t rgb, double factor) {
    if (factor <= 1.0)
        return Mix(0x000000, rgb, factor);
    return Mix(rgb, 0xFFFFFF, factor - 1.0);
}

namespace {
void AddStops(cairo_pattern_t* pattern, std::initializer_list<Stop> stops) {
    for (const Stop& s : stops) {
        cairo_pattern_add_color_stop_rgba(pattern, s.offset, ((s.rgb >> 16) & 0xFF) / 255.0,
                                          ((s.rgb >> 8) & 0xFF) / 255.0, (s.rgb & 0xFF) / 255.0,
                                          s.alpha);
    }
}
} // namespace

cairo_pattern_t* Linear(double x0, double y0, double x1, double y1,
                        std::initializer_list<Stop> stops) {
    cairo_pattern_t* pattern = cairo_pattern_create_linear(x0, y0, x1, y1);
    AddStops(pattern, stops);
    return pattern;
}

cairo_pattern_t* Radial(double cx, double cy, double r0, double r1,
                        std::initializer_list<Stop> stops, double fx, double fy) {
    if (fx < -1e8)
        fx = cx;
    if (fy < -1e8)
        fy = cy;
    cairo_pattern_t* pattern = cairo_pattern_create_radial(fx, fy, r0, cx, cy, r1);
    AddStops(pattern, stops);
    return pattern;
}

namespace {
// Strokes the current path with the outline colour, or drops it when there
// is no outline.
void StrokeOutline(cairo_t* cr, std::uint32_t outline, double lineWidth) {
    if (lineWidth > 0) {
        SetColor(cr, outline);
        cairo_set_line_width(cr, lineWidth);
        cairo_stroke(cr);
    } else {
        cairo_new_path(cr);
    }
}
} // namespace

void FillOutline(cairo_t* cr, cairo_pattern_t* pattern, std::uint32_t outline, double lineWidth) {
    cairo_set_source(cr, pattern);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(pattern);
    StrokeOutline(cr, outline, lineWidth);
}

void FillOutline(cairo_t* cr, std::uint32_t fill, std::uint32_t outline, double lineWidth) {
    SetColor(cr, fill);
    cairo_fill_preserve(cr);
    StrokeOutline(cr, outline, lineWidth);
}

void FillPattern(cairo_t* cr, cairo_pattern_t* pattern) {
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
}

void Place(cairo_t* cr, double x, double y, double scale, const Painter& paint) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    paint(cr);
    cairo_restore(cr);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 1.5 * kPi);
    cairo_close_path(cr);
}

void Gloss(cairo_t* cr, double cx, double cy, double rx, double ry, double a0, double a1,
           double width, double alpha) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 1, a0, a1);
    cairo_restore(cr);
    SetColor(cr, 0xFFFFFF, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void Eye(cairo_t* cr, double cx, double cy, double r, double dx, std::uint32_t iris) {
    Ellipse(cr, cx, cy, r, r);
    FillOutline(cr, 0xF4F8FF, 0x1A2430, std::max(0.8, r * 0.22));
    Ellipse(cr, cx + dx * r, cy, r * 0.55, r * 0.6);
    SetColor(cr, iris);
    cairo_fill(cr);
    Ellipse(cr, cx + dx * r - r * 0.2, cy - r * 0.25, r * 0.22, r * 0.22);
    SetColor(cr, 0xFFFFFF);
    cairo_fill(cr);
}

namespace {
void SelectFont(cairo_t* cr, const Font& font) {
    cairo_select_font_face(cr, font.family, CAIRO_FONT_SLANT_NORMAL,
                           font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, font.size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}
} // namespace

double TextWidth(cairo_t* cr, const std::string& utf8, const Font& font) {
    cairo_save(cr);
    SelectFont(cr, font);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, utf8.c_str(), &extents);
    cairo_restore(cr);
    return extents.x_advance;
}

Font FitFont(cairo_t* cr, const std::string& utf8, Font font, double maxWidth) {
    while (font.size > 6 && TextWidth(cr, utf8, font) > maxWidth)
        font.size -= 0.5;
    return font;
}

double Text(cairo_t* cr, const std::string& utf8, double x, double y, const Font& font,
            cairo_pattern_t* fill, std::uint32_t outline, double outlineWidth, Align align,
            double shadow) {
    cairo_save(cr);
    SelectFont(cr, font);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr, utf8.c_str(), &te);
    double left = x;
    if (align == Align::Center)
        left = x - te.x_advance / 2;
    if (align == Align::Right)
        left = x - te.x_advance;
    const double baseline = y + fe.ascent;
    if (shadow > 0) {
        cairo_move_to(cr, left + shadow, baseline + shadow);
        cairo_text_path(cr, utf8.c_str());
        SetColor(cr, 0x020810, 0.75);
        if (outlineWidth > 0) {
            cairo_set_line_width(cr, outlineWidth);
            cairo_stroke_preserve(cr);
        }
        cairo_fill(cr);
    }
    cairo_move_to(cr, left, baseline);
    cairo_text_path(cr, utf8.c_str());
    if (outlineWidth > 0) {
        SetColor(cr, outline);
        cairo_set_line_width(cr, outlineWidth);
        cairo_stroke_preserve(cr);
    }
    // Gradients given in text-cell coordinates: (0, 0) is the cell's top-left.
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, -left, -y);
    cairo_pattern_set_matrix(fill, &m);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(fill);
    return te.x_advance;
}

double Text(cairo_t* cr, const std::string& utf8, double x, double y, const Font& font,
            std::uint32_t fill, std::uint32_t outline, double outlineWidth, Align align,
            double shadow) {
    cairo_pattern_t* pattern = cairo_pattern_create_rgb(
        ((fill >> 16) & 0xFF) / 255.0, ((fill >> 8) & 0xFF) / 255.0, (fill & 0xFF) / 255.0);
    return Text(cr, utf8, x, y, font, pattern, outline, outlineWidth, align, shadow);
}

std::uint32_t Random::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

double Random::Uniform(double lo, double hi) {
    return lo + (hi - lo) * (Next() / 4294967296.0);
}

int Random::Int(int lo, int hi) {
    return lo + static_cast<int>(Next() % static_cast<std::uint32_t>(hi - lo + 1));
}

namespace {
double Lattice(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0;
}
double SmoothStep(double t) {
    return t * t * (3 - 2 * t);
}
} // namespace

double Noise(double x, double y, std::uint32_t seed, int period) {
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = SmoothStep(x - x0);
    const double fy = SmoothStep(y - y0);
    auto wrap = [period](int v) { return period > 0 ? ((v % period) + period) % period : v; };
    const double a = Lattice(wrap(x0), y0, seed);
    const double b = Lattice(wrap(x0 + 1), y0, seed);
    const double c = Lattice(wrap(x0), y0 + 1, seed);
    const double d = Lattice(wrap(x0 + 1), y0 + 1, seed);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

} // namespace art
