// Bonus icons, the capsule and its float, weapons, treasures, algae, bubbles.
#include <cmath>

#include "Painters.h"

namespace art {

namespace {

// Icons are centred on (22, 22), the middle of the capsule they sit in.
constexpr double kIx = 22, kIy = 22;

void Coin(cairo_t* cr, const std::string& label, std::uint32_t rim) {
    Ellipse(cr, kIx, kIy, 14, 14);
    FillOutline(cr,
                Radial(kIx - 4, kIy - 5, 1, 17,
                       {{0, 0xFFF6B0}, {0.45, 0xF4C830}, {0.9, 0xB07810}, {1, 0x805006}}),
                0x4A2C02, 1.5);
    Ellipse(cr, kIx, kIy, 11, 11);
    SetColor(cr, rim, 0.9);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    Font font{"DejaVu Sans", 13, true};
    Text(cr, label, kIx, kIy - 8.5, font, 0x6A3C04, 0, 0, Align::Center);
    Text(cr, label, kIx - 0.8, kIy - 9.3, font, 0xFFF4C0, 0, 0, Align::Center);
    Gloss(cr, kIx, kIy, 12, 12, kPi * 1.15, kPi * 1.45, 1.8, 0.9);
}

void SupergunIcon(cairo_t* cr) {
    // Two barrels side by side with a lightning bolt: the gun fires twice as fast.
    for (int i = 0; i < 2; ++i) {
        const double y = 14 + i * 9;
        RoundRect(cr, 7, y, 14, 6, 2);
        FillOutline(cr, Linear(0, y, 0, y + 6, {{0, 0xD89A58}, {1, 0x7A4A1A}}), 0x2A1606, 1.0);
        cairo_rectangle(cr, 20, y + 1, 12, 4);
        FillOutline(cr, Linear(0, y, 0, y + 5, {{0, 0xF4F8FC}, {1, 0x707A84}}), 0x1E242A, 0.9);
        cairo_new_path(cr);
        cairo_move_to(cr, 32, y - 0.5);
        cairo_line_to(cr, 37, y + 3);
        cairo_line_to(cr, 32, y + 6.5);
        cairo_close_path(cr);
        FillOutline(cr, 0xFFFFFF, 0x1E242A, 0.8);
    }
    cairo_new_path(cr);
    cairo_move_to(cr, 21, 4);
    cairo_line_to(cr, 12, 21);
    cairo_line_to(cr, 19, 21);
    cairo_line_to(cr, 14, 37);
    cairo_line_to(cr, 29, 17);
    cairo_line_to(cr, 22, 17);
    cairo_line_to(cr, 28, 4);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 4, 0, 37, {{0, 0xFFFFA0}, {0.5, 0xFFD020}, {1, 0xF07000}}), 0x6A2A00,
                1.3);
}

void NetIcon(cairo_t* cr) {
    Ellipse(cr, kIx, kIy, 15, 15);
    FillPattern(cr, Radial(kIx, kIy, 0, 15, {{0, 0x60D0E0, 0.35}, {1, 0x2080A0, 0.5}}));
    cairo_save(cr);
    Ellipse(cr, kIx, kIy, 15, 15);
    cairo_clip(cr);
    SetColor(cr, 0xF0E8C8);
    cairo_set_line_width(cr, 1.5);
    for (int i = -4; i <= 4; ++i) {
        cairo_move_to(cr, kIx + i * 5 - 16, kIy - 16);
        cairo_line_to(cr, kIx + i * 5 + 16, kIy + 16);
        cairo_move_to(cr, kIx + i * 5 + 16, kIy - 16);
        cairo_line_to(cr, kIx + i * 5 - 16, kIy + 16);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
    Ellipse(cr, kIx, kIy, 15, 15);
    SetColor(cr, 0x6A4A1A);
    cairo_set_line_width(cr, 2.6);
    cairo_stroke(cr);
    // Cork floats on the rim.
    for (int i = 0; i < 6; ++i) {
        const double a = i * kPi / 3 + 0.3;
        Ellipse(cr, kIx + std::cos(a) * 15, kIy + std::sin(a) * 15, 3, 3);
        FillOutline(cr,
                    Radial(kIx + std::cos(a) * 15 - 1, kIy + std::sin(a) * 15 - 1, 0, 3.5,
                           {{0, 0xFF9A70}, {1, 0xD03A18}}),
                    0x4A1004, 0.9);
    }
}

void EngineIcon(cairo_t* cr) {
    // A propeller in a ring, with speed streaks.
    SetColor(cr, 0xB8F0FF, 0.9);
    cairo_set_line_width(cr, 1.8);
    for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, 4, 14 + i * 7);
        cairo_line_to(cr, 11 - (i % 2) * 3, 14 + i * 7);
    }
    cairo_stroke(cr);
    Ellipse(cr, 24, kIy, 13, 13);
    FillOutline(cr, Radial(24, kIy, 2, 13, {{0, 0x9AD8F0}, {1, 0x2A6A90}}), 0x10283A, 1.4);
    for (int i = 0; i < 3; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 24, kIy);
        cairo_rotate(cr, i * 2 * kPi / 3 + 0.5);
        cairo_new_path(cr);
        cairo_move_to(cr, 0, 0);
        cairo_curve_to(cr, 7, -3, 10, -8, 8, -11);
        cairo_curve_to(cr, 4, -11, 0, -6, 0, 0);
        cairo_close_path(cr);
        cairo_restore(cr);
        FillOutline(cr, Linear(14, 10, 34, 34, {{0, 0xFFE890}, {1, 0xE09010}}), 0x4A2A04, 1.0);
    }
    Ellipse(cr, 24, kIy, 3, 3);
    FillOutline(cr, 0xD8DEE4, 0x20262C, 1.0);
}

void OxyIcon(cairo_t* cr) {
    // A blue air cylinder with its valve, lettered O2.
    RoundRect(cr, 13, 10, 18, 28, 7);
    FillOutline(
        cr, Linear(13, 0, 31, 0, {{0, 0x1A5AA0}, {0.35, 0x6AB8F8}, {0.6, 0x2A7AD0}, {1, 0x0E3A70}}),
        0x06142A, 1.4);
    RoundRect(cr, 18, 4, 8, 7, 1.5);
    FillOutline(cr, Linear(18, 0, 26, 0, {{0, 0x9AA2AA}, {0.5, 0xEEF2F6}, {1, 0x6A727A}}), 0x1A1E24,
                1.0);
    RoundRect(cr, 14, 5, 16, 3, 1.5);
    FillOutline(cr, 0x2A2E36, 0x0A0C10, 0.8);
    Font font{"DejaVu Sans", 10, true};
    Text(cr, "O", 17.2, 18, font, 0xFFFFFF, 0x06142A, 2.0);
    Text(cr, "2", 24.8, 22, Font{"DejaVu Sans", 7, true}, 0xFFFFFF, 0x06142A, 1.8);
}

void HeartPath(cairo_t* cr, double cx, double cy, double s) {
    cairo_new_path(cr);
    cairo_move_to(cr, cx, cy + s * 0.9);
    cairo_curve_to(cr, cx - s * 1.4, cy, cx - s * 1.0, cy - s * 1.1, cx, cy - s * 0.45);
    cairo_curve_to(cr, cx + s * 1.0, cy - s * 1.1, cx + s * 1.4, cy, cx, cy + s * 0.9);
    cairo_close_path(cr);
}

void LifeIcon(cairo_t* cr) {
    HeartPath(cr, kIx, kIy + 1, 15);
    FillOutline(cr,
                Radial(kIx - 5, kIy - 6, 1, 20, {{0, 0xFFB0B8}, {0.5, 0xF02838}, {1, 0x900818}}),
                0x3A0208, 1.6);
    Gloss(cr, kIx - 6, kIy - 3, 5, 5, kPi * 1.0, kPi * 1.5, 2, 0.85);
    Text(cr, "+1", kIx, kIy - 7, Font{"DejaVu Sans", 11, true}, 0xFFFFFF, 0x5A0610, 2.2,
         Align::Center);
}

} // namespace

void PaintIcon(cairo_t* cr, const std::string& name) {
    if (name == "supergun")
        SupergunIcon(cr);
    else if (name == "net")
        NetIcon(cr);
    else if (name == "engine")
        EngineIcon(cr);
    else if (name == "oxy")
        OxyIcon(cr);
    else if (name == "bonuslife")
        LifeIcon(cr);
    else if (name == "10")
        Coin(cr, "10", 0xC08A20);
    else if (name == "20")
        Coin(cr, "20", 0xC08A20);
    else if (name == "50")
        Coin(cr, "50", 0xC08A20);
}

void PaintCapsule(cairo_t* cr, int frame) {
    // A glass sphere in a brass cage, its eye at x 25 where the line ties on.
    const double cx = 22, cy = 25, r = 19.5;
    Ellipse(cr, cx, cy, r, r);
    FillPattern(
        cr, Radial(cx, cy, 4, r, {{0, 0xC8F4FF, 0.55}, {0.8, 0x60B8E0, 0.6}, {1, 0x1E5A86, 0.95}}));
    // Cage bands.
    SetColor(cr, 0x7A5010);
    cairo_set_line_width(cr, 2.4);
    Ellipse(cr, cx, cy, r, r);
    cairo_stroke(cr);
    Ellipse(cr, cx, cy, r * 0.35, r);
    SetColor(cr, 0xC89A30, 0.9);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    SetColor(cr, 0xE8C050);
    cairo_set_line_width(cr, 1.0);
    Ellipse(cr, cx, cy, r - 0.5, r - 0.5);
    cairo_stroke(cr);
    // Cap and eye.
    RoundRect(cr, 17, 3, 12, 5, 1.5);
    FillOutline(cr, Linear(0, 3, 0, 8, {{0, 0xF8D870}, {1, 0x9A6A10}}), 0x3A2404, 1.0);
    Ellipse(cr, 25, 2.5, 2.2, 2.2);
    SetColor(cr, 0x3A2404);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    // Moving glint.
    const double a = kPi * (1.05 + 0.12 * frame);
    Gloss(cr, cx, cy, r * 0.78, r * 0.78, a, a + 0.5, 2.6, 0.9);
    Ellipse(cr, cx + std::cos(a + 0.9) * r * 0.6, cy + std::sin(a + 0.9) * r * 0.6, 1.6, 1.6);
    SetColor(cr, 0xFFFFFF, 0.9);
    cairo_fill(cr);
}

void PaintFloat(cairo_t* cr) {
    // Red and white buoy riding the surface, a ring below for the line.
    const double cx = 25;
    cairo_new_path(cr);
    cairo_move_to(cr, cx, 0);
    cairo_line_to(cr, cx, 8);
    SetColor(cr, 0x30343A);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_move_to(cr, cx, 1);
    cairo_line_to(cr, cx + 8, 3.5);
    cairo_line_to(cr, cx, 6);
    cairo_close_path(cr);
    FillOutline(cr, 0xFFD020, 0x5A3A00, 0.8);
    Ellipse(cr, cx, 19, 16, 12);
    cairo_path_t* ball = cairo_copy_path(cr);
    FillPattern(cr, Radial(cx - 5, 14, 1, 20, {{0, 0xFF9A8A}, {0.5, 0xE82A20}, {1, 0x8A0A08}}));
    cairo_save(cr);
    cairo_append_path(cr, ball);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 16, 50, 6);
    FillPattern(cr, Radial(cx - 5, 14, 1, 20, {{0, 0xFFFFFF}, {0.6, 0xE8ECF0}, {1, 0x9AA4AC}}));
    cairo_restore(cr);
    cairo_append_path(cr, ball);
    SetColor(cr, 0x3A0604);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    cairo_path_destroy(ball);
    Gloss(cr, cx, 19, 12, 8, kPi * 1.1, kPi * 1.45, 2.0, 0.8);
    Ellipse(cr, cx, 33, 2.6, 2.6);
    SetColor(cr, 0x40444A);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

void PaintLife(cairo_t* cr) {
    // A little diver's helmet-mask: the same yellow-framed mask as the hero's.
    Ellipse(cr, 11, 11, 10, 10);
    FillOutline(cr, Radial(9, 8, 1, 12, {{0, 0x5A7AB0}, {0.6, 0x243A66}, {1, 0x142240}}), 0x0A1024,
                1.3);
    RoundRect(cr, 4, 6, 14, 9, 3);
    FillOutline(cr, Linear(4, 6, 18, 15, {{0, 0xC8F4FF}, {1, 0x3A8AB8}}), 0xE8B010, 1.8);
    Ellipse(cr, 8.5, 10.5, 1.3, 1.5);
    Ellipse(cr, 13.5, 10.5, 1.3, 1.5);
    SetColor(cr, 0x1A2030);
    cairo_fill(cr);
    RoundRect(cr, 8, 16, 6, 3.5, 1.2);
    FillOutline(cr, 0x505864, 0x14181E, 0.8);
    cairo_move_to(cr, 5.5, 8);
    cairo_line_to(cr, 8, 7.5);
    SetColor(cr, 0xFFFFFF, 0.9);
    cairo_set_line_width(cr, 1.1);
    cairo_stroke(cr);
}

void PaintShot(cairo_t* cr) {
    // Harpoon spear: glowing shaft, barbed head, in the middle rows of the
    // shot's box so a hit looks as near as it is on either side.
    cairo_save(cr);
    cairo_translate(cr, 0, kShotSpearTop);
    cairo_rectangle(cr, 0, 2.5, 18, 2);
    FillPattern(cr, Linear(0, 0, 18, 0, {{0, 0x80D8FF, 0.6}, {1, 0xFFFFFF}}));
    cairo_rectangle(cr, 4, 2.5, 15, 2);
    FillOutline(cr, Linear(0, 2, 0, 5, {{0, 0xFFFFFF}, {1, 0x8A98A6}}), 0x2A3440, 0.8);
    cairo_new_path(cr);
    cairo_move_to(cr, 17, 0.5);
    cairo_line_to(cr, 26, 3.5);
    cairo_line_to(cr, 17, 6.5);
    cairo_line_to(cr, 19, 3.5);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 0, 0, 7, {{0, 0xFFFFFF}, {1, 0xA8B8C8}}), 0x1A2430, 0.9);
    cairo_restore(cr);
}

void PaintTail(cairo_t* cr, int frame) {
    // A trail of tiny bubbles and churned water; two variants flicker. It
    // trails the spear's shaft, as low in its picture as the spear in the shot's.
    Random rnd(40 + frame * 7);
    cairo_save(cr);
    cairo_translate(cr, 0, kShotSpearTop);
    cairo_rectangle(cr, 0, 2, 72, 2);
    FillPattern(cr,
                Linear(0, 0, 72, 0, {{0, 0xA0E8FF, 0}, {0.5, 0xA0E8FF, 0.45}, {1, 0xE0FAFF, 0.9}}));
    for (int i = 0; i < 14; ++i) {
        const double t = rnd.Uniform(0.05, 1.0);
        const double x = 72 * t;
        const double r = 0.8 + t * 1.4;
        Ellipse(cr, x, 3 + rnd.Uniform(-1.5, 1.5), r, r);
        SetColor(cr, 0xE8FCFF, 0.35 + 0.6 * t);
        cairo_fill_preserve(cr);
        SetColor(cr, 0x3A8AB0, 0.6 * t);
        cairo_set_line_width(cr, 0.6);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void PaintNet(cairo_t* cr, int frame) {
    // The net unfolds from a bundle (frame 0) to a full wall of mesh (frame 3).
    const double open = (frame + 1) / 4.0;
    const double cx = 22 + 10 * open;
    const double half = 20 + 75 * open; // half height
    const double cy = 95;
    const double w = 10 + 34 * open;
    cairo_new_path(cr);
    cairo_move_to(cr, cx - w * 0.3, cy - half);
    cairo_curve_to(cr, cx + w * 0.7, cy - half * 0.6, cx + w * 0.7, cy + half * 0.6, cx - w * 0.3,
                   cy + half);
    cairo_curve_to(cr, cx + w * 0.05, cy + half * 0.5, cx + w * 0.05, cy - half * 0.5, cx - w * 0.3,
                   cy - half);
    cairo_close_path(cr);
    cairo_path_t* shape = cairo_copy_path(cr);
    FillPattern(cr, Linear(cx - w, 0, cx + w, 0, {{0, 0x80D0E8, 0.2}, {1, 0x80D0E8, 0.45}}));
    cairo_save(cr);
    cairo_append_path(cr, shape);
    cairo_clip(cr);
    const double mesh = 6 + 2 * open;
    SetColor(cr, 0xF4ECD0);
    cairo_set_line_width(cr, 1.4);
    for (double d = -200; d < 200; d += mesh) {
        cairo_move_to(cr, cx - 40 + d * 0.3, cy - 100 + d);
        cairo_line_to(cr, cx + 40 + d * 0.3, cy - 60 + d);
        cairo_move_to(cr, cx - 40 + d * 0.3, cy - 60 + d);
        cairo_line_to(cr, cx + 40 + d * 0.3, cy - 100 + d);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_append_path(cr, shape);
    SetColor(cr, 0x6A4A1A);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    cairo_path_destroy(shape);
    // Corks along the edge and lead weights at the ends.
    const int corks = 2 + frame * 2;
    for (int i = 0; i <= corks; ++i) {
        const double t = static_cast<double>(i) / corks;
        const double y = cy - half + 2 * half * t;
        const double x = cx - w * 0.3 + (w * 0.8) * std::sin(t * kPi) * 0.65;
        Ellipse(cr, x, y, 3.2, 2.6);
        FillOutline(cr, Radial(x - 1, y - 1, 0, 3.5, {{0, 0xFFB080}, {1, 0xD04A18}}), 0x4A1004,
                    0.9);
    }
    for (int end = -1; end <= 1; end += 2) {
        Ellipse(cr, cx - w * 0.3, cy + end * half, 3.5, 3.5);
        FillOutline(
            cr, Radial(cx - w * 0.3 - 1, cy + end * half - 1, 0, 4, {{0, 0xB8C0C8}, {1, 0x4A525A}}),
            0x14181E, 1.0);
    }
}

Size TreasureSize(int kind) {
    static const Size sizes[9] = {{0, 0},   {40, 32}, {26, 40}, {38, 26}, {38, 22},
                                  {34, 28}, {26, 34}, {38, 24}, {58, 46}};
    return sizes[kind];
}

namespace {

void Gem(cairo_t* cr, double x, double y, double r, std::uint32_t colour) {
    cairo_new_path(cr);
    cairo_move_to(cr, x, y - r);
    cairo_line_to(cr, x + r, y);
    cairo_line_to(cr, x, y + r);
    cairo_line_to(cr, x - r, y);
    cairo_close_path(cr);
    FillOutline(
        cr, Radial(x - r * 0.3, y - r * 0.3, 0, r * 1.3, {{0, Shade(colour, 1.7)}, {1, colour}}),
        Shade(colour, 0.3), 0.9);
    cairo_move_to(cr, x - r * 0.4, y - r * 0.1);
    cairo_line_to(cr, x, y - r * 0.6);
    SetColor(cr, 0xFFFFFF, 0.9);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
}

void GoldPile(cairo_t* cr, double x, double y, double w, int coins, std::uint32_t seed) {
    Random rnd(seed);
    cairo_new_path(cr);
    cairo_move_to(cr, x, y);
    cairo_curve_to(cr, x + w * 0.2, y - w * 0.35, x + w * 0.8, y - w * 0.35, x + w, y);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, y - w * 0.3, 0, y, {{0, 0xFFE070}, {1, 0xB88010}}), 0x5A3A04, 1.1);
    for (int i = 0; i < coins; ++i) {
        const double cx = x + rnd.Uniform(0.12, 0.88) * w;
        const double top = y - std::sin((cx - x) / w * kPi) * w * 0.24;
        const double cy = rnd.Uniform(top + 1, y - 1);
        Ellipse(cr, cx, cy, 3, 1.6);
        FillOutline(cr, 0xFFD848, 0x6A4204, 0.8);
    }
}

void Chest(cairo_t* cr, double x, double y, double w, double h, bool open) {
    const double lid = h * 0.38;
    // Body.
    cairo_rectangle(cr, x, y + lid, w, h - lid);
    FillOutline(cr, Linear(0, y + lid, 0, y + h, {{0, 0xA8662A}, {1, 0x5A300E}}), 0x2A1404, 1.4);
    SetColor(cr, 0x3A1E08, 0.8);
    cairo_set_line_width(cr, 0.9);
    for (int i = 1; i < 3; ++i) {
        cairo_move_to(cr, x + 1, y + lid + (h - lid) * i / 3.0);
        cairo_line_to(cr, x + w - 1, y + lid + (h - lid) * i / 3.0);
    }
    cairo_stroke(cr);
    if (open) {
        GoldPile(cr, x + 2, y + lid + 3, w - 4, 14, 81);
        Gem(cr, x + w * 0.3, y + lid - 3, 3.5, 0xE0203A);
        Gem(cr, x + w * 0.62, y + lid - 5, 3.5, 0x20C060);
        Gem(cr, x + w * 0.8, y + lid - 1, 3, 0x3060F0);
        // Lid thrown back.
        cairo_new_path(cr);
        cairo_move_to(cr, x + 2, y + lid - 2);
        cairo_line_to(cr, x + 6, y);
        cairo_line_to(cr, x + w - 6, y);
        cairo_line_to(cr, x + w - 2, y + lid - 2);
        cairo_close_path(cr);
        FillOutline(cr, Linear(0, y, 0, y + lid, {{0, 0x6A3A12}, {1, 0x8A5020}}), 0x2A1404, 1.3);
    } else {
        cairo_new_path(cr);
        cairo_move_to(cr, x, y + lid);
        cairo_curve_to(cr, x, y - 1, x + w, y - 1, x + w, y + lid);
        cairo_close_path(cr);
        FillOutline(cr, Linear(0, y, 0, y + lid, {{0, 0xC88040}, {1, 0x7A4418}}), 0x2A1404, 1.4);
        // Lock plate.
        RoundRect(cr, x + w / 2 - 3.5, y + lid - 3, 7, 8, 1.5);
        FillOutline(cr, Linear(0, y + lid - 3, 0, y + lid + 5, {{0, 0xFFE890}, {1, 0xB08010}}),
                    0x4A3004, 0.9);
    }
    // Brass bands.
    for (double bx : {x + 4, x + w - 8}) {
        cairo_rectangle(cr, bx, y + lid, 4, h - lid);
        FillOutline(cr, Linear(bx, 0, bx + 4, 0, {{0, 0xF8D060}, {1, 0x9A6A10}}), 0x4A3004, 0.8);
    }
}

void Amphora(cairo_t* cr, double w, double h) {
    const double cx = w / 2;
    cairo_new_path(cr);
    cairo_move_to(cr, cx - 3.5, 3);
    cairo_line_to(cr, cx - 3, 9);
    cairo_curve_to(cr, cx - w * 0.5, 12, cx - w * 0.52, 26, cx - 3, h - 4);
    cairo_line_to(cr, cx - 1.5, h - 1);
    cairo_line_to(cr, cx + 1.5, h - 1);
    cairo_line_to(cr, cx + 3, h - 4);
    cairo_curve_to(cr, cx + w * 0.52, 26, cx + w * 0.5, 12, cx + 3, 9);
    cairo_line_to(cr, cx + 3.5, 3);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 0, w, 0, {{0, 0x8A3A14}, {0.35, 0xE0884A}, {1, 0x6A2808}}), 0x2E0E02,
                1.4);
    // Handles.
    for (int side = -1; side <= 1; side += 2) {
        cairo_new_path(cr);
        cairo_move_to(cr, cx + side * 3, 6);
        cairo_curve_to(cr, cx + side * 11, 5, cx + side * 11, 13, cx + side * 7, 16);
        SetColor(cr, 0x2E0E02);
        cairo_set_line_width(cr, 3.2);
        cairo_stroke_preserve(cr);
        SetColor(cr, 0xC0703A);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
    }
    RoundRect(cr, cx - 5, 1, 10, 3.5, 1.2);
    FillOutline(cr, 0xD07A40, 0x2E0E02, 1.0);
    // Painted band and a few barnacles.
    SetColor(cr, 0x2A1004, 0.8);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, cx - w * 0.44, 20);
    cairo_line_to(cr, cx + w * 0.44, 20);
    cairo_stroke(cr);
    for (int i = 0; i < 4; ++i) {
        cairo_move_to(cr, cx - 9 + i * 5, 22);
        cairo_line_to(cr, cx - 7 + i * 5, 25);
        cairo_line_to(cr, cx - 5 + i * 5, 22);
    }
    cairo_stroke(cr);
    for (auto [bx, by] : {std::pair{cx + 5.0, 30.0}, {cx - 7.0, 14.0}}) {
        Ellipse(cr, bx, by, 1.8, 1.5);
        FillOutline(cr, 0xE8E0D0, 0x5A5040, 0.7);
    }
}

} // namespace

void PaintTreasure(cairo_t* cr, int kind) {
    const Size s = TreasureSize(kind);
    switch (kind) {
    case 1:
        Chest(cr, 1, 1, s.width - 2, s.height - 2, false);
        break;
    case 2:
        Amphora(cr, s.width, s.height);
        break;
    case 3: { // open clam with a pearl
        cairo_new_path(cr);
        cairo_move_to(cr, 2, 16);
        cairo_curve_to(cr, 4, 0, 34, 0, 36, 16);
        cairo_close_path(cr);
        FillOutline(cr, Linear(0, 2, 0, 16, {{0, 0xF0B0C8}, {1, 0x9A5070}}), 0x3A1428, 1.2);
        SetColor(cr, 0x6A2A48, 0.8);
        cairo_set_line_width(cr, 0.9);
        for (int i = 1; i < 6; ++i) {
            cairo_move_to(cr, 19, 15);
            cairo_line_to(cr, 2 + i * 5.7, 5 - std::sin(i / 6.0 * kPi) * 2);
        }
        cairo_stroke(cr);
        cairo_new_path(cr);
        cairo_move_to(cr, 1, 17);
        cairo_curve_to(cr, 6, 26, 32, 26, 37, 17);
        cairo_close_path(cr);
        FillOutline(cr, Linear(0, 17, 0, 25, {{0, 0xE890B0}, {1, 0x8A3A5A}}), 0x3A1428, 1.2);
        Ellipse(cr, 19, 15.5, 5.5, 5.5);
        FillOutline(cr, Radial(17, 13.5, 0, 7, {{0, 0xFFFFFF}, {0.6, 0xE8F0F8}, {1, 0x9AA8C0}}),
                    0x4A5068, 0.9);
        break;
    }
    case 4: // heap of gold coins
        GoldPile(cr, 1, 21, 36, 16, 44);
        Ellipse(cr, 28, 17, 4, 2.2);
        FillOutline(cr, 0xFFE060, 0x6A4204, 0.9);
        break;
    case 5: { // jewelled crown
        cairo_new_path(cr);
        cairo_move_to(cr, 3, 24);
        cairo_line_to(cr, 2, 6);
        cairo_line_to(cr, 10, 14);
        cairo_line_to(cr, 17, 2);
        cairo_line_to(cr, 24, 14);
        cairo_line_to(cr, 32, 6);
        cairo_line_to(cr, 31, 24);
        cairo_close_path(cr);
        FillOutline(cr, Linear(0, 2, 0, 24, {{0, 0xFFF0A0}, {0.5, 0xF0C030}, {1, 0x9A6808}}),
                    0x4A2E02, 1.3);
        cairo_rectangle(cr, 3, 19, 28, 5);
        FillOutline(cr, Linear(0, 19, 0, 24, {{0, 0xF8D050}, {1, 0xA07010}}), 0x4A2E02, 1.0);
        Gem(cr, 17, 13, 3.2, 0xE01838);
        Gem(cr, 8, 21.5, 2, 0x2070F0);
        Gem(cr, 26, 21.5, 2, 0x20B050);
        for (double x : {2.0, 17.0, 32.0}) {
            Ellipse(cr, x, x == 17.0 ? 2 : 6, 1.8, 1.8);
            FillOutline(cr, 0xFFFFFF, 0x6A6A7A, 0.7);
        }
        break;
    }
    case 6: { // silver goblet
        cairo_new_path(cr);
        cairo_move_to(cr, 3, 2);
        cairo_line_to(cr, 23, 2);
        cairo_curve_to(cr, 23, 14, 18, 18, 14.5, 19);
        cairo_line_to(cr, 14.5, 27);
        cairo_curve_to(cr, 18, 28, 21, 30, 21, 32);
        cairo_line_to(cr, 5, 32);
        cairo_curve_to(cr, 5, 30, 8, 28, 11.5, 27);
        cairo_line_to(cr, 11.5, 19);
        cairo_curve_to(cr, 8, 18, 3, 14, 3, 2);
        cairo_close_path(cr);
        FillOutline(
            cr,
            Linear(3, 0, 23, 0, {{0, 0x7A8694}, {0.3, 0xFFFFFF}, {0.55, 0xB8C4D0}, {1, 0x5A6674}}),
            0x1E2632, 1.3);
        Ellipse(cr, 13, 2.5, 10, 1.8);
        FillOutline(cr, 0x3A4452, 0x1E2632, 0.8);
        Gem(cr, 13, 10, 2.5, 0x9A30E0);
        break;
    }
    case 7: { // gold bars
        auto bar = [cr](double x, double y) {
            cairo_new_path(cr);
            cairo_move_to(cr, x, y + 8);
            cairo_line_to(cr, x + 3, y);
            cairo_line_to(cr, x + 17, y);
            cairo_line_to(cr, x + 20, y + 8);
            cairo_close_path(cr);
            FillOutline(cr, Linear(0, y, 0, y + 8, {{0, 0xFFF4A0}, {0.5, 0xF4C430}, {1, 0xA87408}}),
                        0x4A2E02, 1.1);
            cairo_move_to(cr, x + 4, y + 2);
            cairo_line_to(cr, x + 15, y + 2);
            SetColor(cr, 0xFFFFFF, 0.8);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        };
        bar(1, 15);
        bar(17, 15);
        bar(9, 7);
        break;
    }
    case 8:
        Chest(cr, 1, 1, s.width - 2, s.height - 2, true);
        break;
    default:
        break;
    }
}

Size AlgaeSize(int kind) {
    static const Size sizes[4] = {{0, 0}, {44, 80}, {46, 50}, {40, 104}};
    return sizes[kind];
}

namespace {

void Blade(cairo_t* cr, double baseX, double baseY, double height, double width, double sway,
           std::uint32_t colour, double phase) {
    const int n = 16;
    std::vector<std::pair<double, double>> left, right;
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double x = baseX + sway * t * t + std::sin(t * 5 + phase) * 2.2 * t;
        const double y = baseY - height * t;
        const double half = width * (0.35 + 0.65 * std::sin(t * kPi * 0.95 + 0.1)) * (1 - t * 0.6);
        left.emplace_back(x - half, y);
        right.emplace_back(x + half, y);
    }
    cairo_new_path(cr);
    cairo_move_to(cr, left[0].first, left[0].second);
    for (auto& p : left)
        cairo_line_to(cr, p.first, p.second);
    for (int i = n; i >= 0; --i)
        cairo_line_to(cr, right[i].first, right[i].second);
    cairo_close_path(cr);
    FillOutline(cr,
                Linear(baseX - width, 0, baseX + width, 0,
                       {{0, Shade(colour, 1.35)}, {0.5, colour}, {1, Shade(colour, 0.6)}}),
                Shade(colour, 0.3), 1.1);
    // Midrib.
    cairo_new_path(cr);
    for (int i = 0; i < n; ++i)
        cairo_line_to(cr, (left[i].first + right[i].first) / 2, left[i].second);
    SetColor(cr, Shade(colour, 1.5), 0.7);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
}

void Kelp(cairo_t* cr, double baseX, double baseY, double height, double sway, std::uint32_t colour,
          double phase) {
    // A stipe with leaves and little air bladders.
    const int n = 20;
    std::vector<std::pair<double, double>> stem;
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        stem.emplace_back(baseX + sway * t * t + std::sin(t * 6 + phase) * 3 * t,
                          baseY - height * t);
    }
    cairo_new_path(cr);
    for (auto& p : stem)
        cairo_line_to(cr, p.first, p.second);
    SetColor(cr, Shade(colour, 0.3));
    cairo_set_line_width(cr, 4.2);
    cairo_stroke_preserve(cr);
    SetColor(cr, Shade(colour, 0.9));
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    for (int i = 3; i <= n; i += 3) {
        const double side = (i / 3) % 2 ? 1 : -1;
        const auto [x, y] = stem[i];
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, side * 0.9 + sway * 0.01);
        cairo_new_path(cr);
        cairo_move_to(cr, 0, 0);
        cairo_curve_to(cr, side * 4, -4, side * 10, -8, side * 13, -7);
        cairo_curve_to(cr, side * 10, -2, side * 5, 1, 0, 0);
        cairo_close_path(cr);
        cairo_restore(cr);
        FillOutline(cr, Linear(x - 8, y - 8, x + 8, y + 4, {{0, Shade(colour, 1.3)}, {1, colour}}),
                    Shade(colour, 0.3), 1.0);
        Ellipse(cr, x + side * 2, y - 2, 2, 2);
        FillOutline(cr, Radial(x + side * 2 - 0.6, y - 2.6, 0, 2.4, {{0, 0xE8F080}, {1, 0x9A9A20}}),
                    0x3A3A08, 0.8);
    }
}

} // namespace

void PaintAlgae(cairo_t* cr, int kind, int frame) {
    const Size s = AlgaeSize(kind);
    switch (kind) {
    case 1: { // a clump of sea-grass blades swaying in three steps
        const double sway = (frame - 1) * 5.0;
        Blade(cr, 10, s.height, 58, 4, sway - 3, 0x2E8A3A, 0.0);
        Blade(cr, 32, s.height, 64, 4.2, sway + 2, 0x3A9A30, 1.0);
        Blade(cr, 21, s.height, 76, 5, sway, 0x4AB040, 2.0);
        Blade(cr, 15, s.height, 44, 3.5, sway * 0.6 - 6, 0x2A7A48, 3.0);
        break;
    }
    case 2: { // a fan coral with a red tint and a sea star at its foot
        cairo_new_path(cr);
        const double cx = 23, by = s.height - 2;
        for (int i = 0; i < 9; ++i) {
            const double a = kPi * (1.1 + 0.8 * i / 8.0);
            cairo_move_to(cr, cx, by);
            cairo_curve_to(cr, cx + std::cos(a) * 8, by + std::sin(a) * 16, cx + std::cos(a) * 16,
                           by + std::sin(a) * 30, cx + std::cos(a) * 20, by + std::sin(a) * 44);
        }
        SetColor(cr, 0x5A0A1A);
        cairo_set_line_width(cr, 3.4);
        cairo_stroke_preserve(cr);
        SetColor(cr, 0xE8506A);
        cairo_set_line_width(cr, 1.8);
        cairo_stroke(cr);
        Random rnd(2);
        for (int i = 0; i < 18; ++i) {
            const double a = kPi * rnd.Uniform(1.1, 1.9);
            const double r = rnd.Uniform(14, 42);
            Ellipse(cr, cx + std::cos(a) * r * 0.48, by + std::sin(a) * r, 1.6, 1.6);
            FillOutline(cr, 0xFFB0C0, 0x7A1828, 0.6);
        }
        // Sea star.
        cairo_new_path(cr);
        for (int i = 0; i < 10; ++i) {
            const double a = -kPi / 2 + i * kPi / 5;
            const double r = i % 2 ? 2.6 : 7;
            cairo_line_to(cr, 36 + std::cos(a) * r, by - 5 + std::sin(a) * r);
        }
        cairo_close_path(cr);
        FillOutline(cr, Radial(36, by - 5, 0, 7, {{0, 0xFFD080}, {1, 0xF08020}}), 0x5A2A04, 1.0);
        break;
    }
    case 3: { // tall kelp, four-step sway
        const double sways[4] = {-6, -1, 5, 0};
        const double sway = sways[frame];
        Kelp(cr, 14, s.height, 96, sway, 0x6A8A1A, 0.0);
        Kelp(cr, 26, s.height, 80, sway * 0.8 + 2, 0x7A9A22, 1.4);
        break;
    }
    default:
        break;
    }
}

int BubbleSize(int kind) {
    static const int sizes[5] = {0, 5, 7, 9, 12};
    return sizes[kind];
}

void PaintBubble(cairo_t* cr, int kind) {
    const double d = BubbleSize(kind);
    const double r = d / 2;
    Ellipse(cr, r, r, r - 0.4, r - 0.4);
    FillPattern(
        cr, Radial(r, r, 0, r, {{0, 0x9ADCF0, 0.55}, {0.75, 0xB8ECFF, 0.75}, {1, 0xE8FCFF, 1}}));
    Ellipse(cr, r, r, r - 0.6, r - 0.6);
    SetColor(cr, 0x4AA0C8, 0.9);
    cairo_set_line_width(cr, d > 6 ? 1.0 : 0.8);
    cairo_stroke(cr);
    Ellipse(cr, r * 0.7, r * 0.65, std::max(0.8, r * 0.3), std::max(0.8, r * 0.3));
    SetColor(cr, 0xFFFFFF);
    cairo_fill(cr);
}

} // namespace art
