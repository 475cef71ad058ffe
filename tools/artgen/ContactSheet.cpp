#include "ContactSheet.h"

#include <algorithm>
#include <stdexcept>

namespace art {

namespace {

constexpr int kSheetWidth = 1640;
constexpr int kGap = 6;          // between the patterns of one item
constexpr int kMaxPatterns = 16; // more than this are shown as one picture with ticks

struct Grid {
    int columns = 1, rows = 1, pw = 0, ph = 0, strideX = 0, strideY = 0;
};

Grid GridOf(const SheetItem& item) {
    Grid g;
    g.pw = item.patternWidth > 0 ? item.patternWidth : item.width;
    g.ph = item.patternHeight > 0 ? item.patternHeight : item.height;
    g.strideX = g.pw + item.skipWidth;
    g.strideY = g.ph + item.skipHeight;
    if (g.strideX > 0 && g.strideY > 0) {
        g.columns = (item.width + item.skipWidth) / g.strideX;
        g.rows = (item.height + item.skipHeight) / g.strideY;
    }
    return g;
}

// The picture as a cairo surface; key-coloured pixels become transparent.
cairo_surface_t* SurfaceOf(const SheetItem& item) {
    cairo_surface_t* surface = cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, std::max(1, item.width), std::max(1, item.height));
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < item.height; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < item.width; ++x) {
            const std::uint32_t p =
                item.pixels[static_cast<std::size_t>(y) * item.width + x] & 0xFFFFFF;
            row[x] = item.transparent && p == item.key ? 0 : 0xFF000000u | p;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

void Checker(cairo_t* cr, double x, double y, double w, double h) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    SetColor(cr, 0x2A3A44);
    cairo_paint(cr);
    SetColor(cr, 0x34464F);
    for (int cy = 0; cy * 8 < h; ++cy) {
        for (int cx = (cy % 2); cx * 8 < w; cx += 2)
            cairo_rectangle(cr, x + cx * 8, y + cy * 8, 8, 8);
    }
    cairo_fill(cr);
    cairo_restore(cr);
}

struct Cell {
    const SheetItem* item;
    int index;
    double scale;
    bool split;
    double width, height; // of the drawn picture area
};

Cell Measure(const SheetItem& item, int index) {
    Cell c{&item, index, 1.0, false, 0, 0};
    const Grid g = GridOf(item);
    const int count = g.columns * g.rows;
    c.split = count > 1 && count <= kMaxPatterns;
    if (item.width > 700)
        c.scale = 0.5;
    if (c.split) {
        c.width = (g.columns * g.pw + (g.columns - 1) * kGap) * c.scale;
        c.height = (g.rows * g.ph + (g.rows - 1) * kGap) * c.scale;
    } else {
        c.width = item.width * c.scale;
        c.height = item.height * c.scale;
    }
    c.width = std::max(c.width, 1.0);
    c.height = std::max(c.height, 1.0);
    return c;
}

constexpr double kLabel = 30; // two text lines under a picture

void DrawCell(cairo_t* cr, const Cell& c, double x, double y) {
    const SheetItem& item = *c.item;
    const Grid g = GridOf(item);
    cairo_surface_t* surface = SurfaceOf(item);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, c.scale, c.scale);
    if (c.split) {
        for (int row = 0; row < g.rows; ++row) {
            for (int col = 0; col < g.columns; ++col) {
                const double dx = col * (g.pw + kGap), dy = row * (g.ph + kGap);
                Checker(cr, dx, dy, g.pw, g.ph);
                cairo_save(cr);
                cairo_rectangle(cr, dx, dy, g.pw, g.ph);
                cairo_clip(cr);
                cairo_set_source_surface(cr, surface, dx - col * g.strideX, dy - row * g.strideY);
                cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
                cairo_paint(cr);
                cairo_restore(cr);
                cairo_rectangle(cr, dx - 0.5, dy - 0.5, g.pw + 1, g.ph + 1);
                SetColor(cr, 0xF0C040, 0.8);
                cairo_set_line_width(cr, 1 / c.scale);
                cairo_stroke(cr);
            }
        }
    } else {
        Checker(cr, 0, 0, item.width, item.height);
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_rectangle(cr, -0.5, -0.5, item.width + 1, item.height + 1);
        SetColor(cr, 0x8AA0B0, 0.8);
        cairo_set_line_width(cr, 1 / c.scale);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    cairo_surface_destroy(surface);
    const std::string first =
        std::to_string(c.index) + ": " + (item.name.empty() ? "(no name)" : item.name);
    std::string second = std::to_string(item.width) + "x" + std::to_string(item.height);
    if (g.columns * g.rows > 1) {
        second += ", " + std::to_string(g.columns * g.rows) + " x " + std::to_string(g.pw) + "x" +
                  std::to_string(g.ph);
    }
    if (!item.transparent)
        second += ", opaque";
    Text(cr, first, x, y + c.height + 2, Font{"DejaVu Sans", 11, true}, 0xFFFFFF);
    Text(cr, second, x, y + c.height + 16, Font{"DejaVu Sans", 10, false}, 0xA8C0D0);
}

void WritePng(cairo_surface_t* surface, const std::string& path) {
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        throw std::runtime_error("cannot write " + path);
    }
    cairo_surface_destroy(surface);
}

} // namespace

SheetItem SheetItem::From(const Picture& picture) {
    SheetItem item;
    item.name = picture.name;
    item.width = picture.width;
    item.height = picture.height;
    item.pixels = picture.pixels;
    item.patternWidth = picture.patternWidth;
    item.patternHeight = picture.patternHeight;
    item.transparent = picture.transparent;
    return item;
}

int SheetItem::PatternCount() const {
    const Grid g = GridOf(*this);
    return g.columns * g.rows;
}

void WriteContactSheet(const std::vector<SheetItem>& items, const std::string& title,
                       const std::string& pngPath) {
    // Flow the cells into rows, then draw.
    std::vector<Cell> cells;
    for (std::size_t i = 0; i < items.size(); ++i)
        cells.push_back(Measure(items[i], static_cast<int>(i)));
    struct Placed {
        Cell cell;
        double x, y;
    };
    std::vector<Placed> placed;
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* measure = cairo_create(probe);
    double x = 12, y = 44, rowHeight = 0;
    for (const Cell& c : cells) {
        const std::string label = std::to_string(c.index) + ": " + c.item->name;
        const double w =
            std::max(c.width, TextWidth(measure, label, Font{"DejaVu Sans", 11, true}));
        if (x + w > kSheetWidth - 12 && x > 12) {
            x = 12;
            y += rowHeight + kLabel + 14;
            rowHeight = 0;
        }
        placed.push_back({c, x, y});
        x += w + 18;
        rowHeight = std::max(rowHeight, c.height);
    }
    cairo_destroy(measure);
    cairo_surface_destroy(probe);
    const int height = static_cast<int>(y + rowHeight + kLabel + 16);
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSheetWidth, height);
    cairo_t* cr = cairo_create(sheet);
    SetColor(cr, 0x141C24);
    cairo_paint(cr);
    Text(cr, title + " - " + std::to_string(items.size()) + " pictures", 12, 10,
         Font{"DejaVu Sans", 18, true}, 0xF0D080);
    for (const Placed& p : placed)
        DrawCell(cr, p.cell, p.x, p.y);
    cairo_destroy(cr);
    WritePng(sheet, pngPath);
}

void WritePicturePng(const SheetItem& item, const std::string& pngPath) {
    cairo_surface_t* surface = SurfaceOf(item);
    WritePng(surface, pngPath);
}

} // namespace art
