#include "Icon.h"

#include <cairo-svg.h>

#include <filesystem>
#include <stdexcept>
#include <tuple>

#include "Painters.h"

namespace art {
namespace {

// Design units: the icon is drawn on a 128 x 128 square and scaled.
constexpr double kDesign = 128;

void PaintIcon(cairo_t* cr) {
    // The frame leaves the theme's usual margin around the artwork.
    RoundRect(cr, 6, 6, 116, 116, 22);
    cairo_save(cr);
    cairo_clip(cr);
    PaintSea(cr, 128, 128, 24, 7);
    Place(cr, 70, 20, 0.7, [](cairo_t* c) { PaintFish(c, 1, 0); });
    for (const auto& [x, y, kind] : {std::tuple{30.0, 30.0, 3}, {38.0, 20.0, 2}, {26.0, 16.0, 1}}) {
        Place(cr, x, y, 1.6, [kind](cairo_t* c) { PaintBubble(c, kind); });
    }
    // The diver swims up to the right across the middle.
    cairo_save(cr);
    cairo_translate(cr, 64, 76);
    cairo_rotate(cr, -0.32);
    const double scale = 0.98;
    Place(cr, -kHeroSize.width * scale / 2, -kHeroSize.height * scale / 2, scale,
          [](cairo_t* c) { PaintDiver(c, 0); });
    cairo_restore(cr);
    cairo_restore(cr);
    // Brass rim with a dark edge, as the menu panels have.
    RoundRect(cr, 6, 6, 116, 116, 22);
    SetColor(cr, 0x050C18);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    RoundRect(cr, 8.5, 8.5, 111, 111, 19.5);
    SetColor(cr, 0xC89A40);
    cairo_set_line_width(cr, 3.2);
    cairo_stroke(cr);
}

void Check(cairo_surface_t* surface, const std::string& path) {
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace

void WriteIcons(const std::string& theme, const std::string& appId) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(theme) / "hicolor";
    for (int size : {16, 32, 48, 64, 128, 256, 512}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const fs::path folder = root / name / "apps";
        fs::create_directories(folder);
        const std::string path = (folder / (appId + ".png")).string();
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
        cairo_t* cr = cairo_create(surface);
        cairo_scale(cr, size / kDesign, size / kDesign);
        PaintIcon(cr);
        cairo_destroy(cr);
        const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
        cairo_surface_destroy(surface);
        if (status != CAIRO_STATUS_SUCCESS) {
            throw std::runtime_error("cannot write " + path);
        }
    }
    const fs::path folder = root / "scalable" / "apps";
    fs::create_directories(folder);
    const std::string path = (folder / (appId + ".svg")).string();
    cairo_surface_t* surface = cairo_svg_surface_create(path.c_str(), kDesign, kDesign);
    Check(surface, path);
    cairo_t* cr = cairo_create(surface);
    PaintIcon(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    Check(surface, path);
    cairo_surface_destroy(surface);
}

} // namespace art
