// The diver (facing right), his two dead bodies and the hand engine.
#include <cmath>

#include "Painters.h"

namespace art {

namespace {

constexpr std::uint32_t kSuit = 0x2E5494;
constexpr std::uint32_t kSuitDark = 0x142240;
constexpr std::uint32_t kSuitEdge = 0x0A1024;
constexpr std::uint32_t kStripe = 0x30C8E8;
constexpr std::uint32_t kFlipper = 0xF0A020;
constexpr std::uint32_t kTank = 0xF2C418;

struct Options {
    bool gun = true;
    bool dead = false;
    std::uint32_t suit = kSuit;
    std::uint32_t skin = 0xF0B890;
};

void Limb(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2,
          double width, std::uint32_t colour) {
    cairo_new_path(cr);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    SetColor(cr, kSuitEdge);
    cairo_set_line_width(cr, width + 2.2);
    cairo_stroke_preserve(cr);
    SetColor(cr, colour);
    cairo_set_line_width(cr, width);
    cairo_stroke_preserve(cr);
    // Lit upper edge.
    cairo_save(cr);
    cairo_translate(cr, 0, -width * 0.25);
    SetColor(cr, Shade(colour, 1.35), 0.6);
    cairo_set_line_width(cr, width * 0.3);
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_new_path(cr);
}

void Flipper(cairo_t* cr, double ax, double ay, double angle, std::uint32_t colour) {
    cairo_save(cr);
    cairo_translate(cr, ax, ay);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    cairo_move_to(cr, 2, -3);
    cairo_curve_to(cr, -8, -5, -16, -7, -22, -6);
    cairo_curve_to(cr, -21, -2, -21, 2, -22, 6);
    cairo_curve_to(cr, -16, 6, -8, 5, 2, 3);
    cairo_close_path(cr);
    cairo_restore(cr);
    FillOutline(cr,
                Linear(ax - 22, ay - 6, ax, ay + 6,
                       {{0, Shade(colour, 1.15)}, {0.6, colour}, {1, Shade(colour, 0.7)}}),
                Shade(colour, 0.3), 1.2);
    // Ribs of the blade.
    cairo_save(cr);
    cairo_translate(cr, ax, ay);
    cairo_rotate(cr, angle);
    SetColor(cr, Shade(colour, 0.55), 0.9);
    cairo_set_line_width(cr, 0.9);
    for (int i = -1; i <= 1; i += 2) {
        cairo_move_to(cr, -3, i * 1.5);
        cairo_line_to(cr, -19, i * 4.2);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void Diver(cairo_t* cr, int frame, const Options& o) {
    const double kick[4] = {-5, -1.5, 5, 1.5};
    const double k = kick[frame % 4];
    const std::uint32_t suit = o.suit;
    // Far leg (darker), then the near leg after the body.
    Flipper(cr, 20, 25 - k, -k * 0.06, Shade(kFlipper, 0.75));
    Limb(cr, 50, 26, 35, 25 - k * 0.4, 21, 25 - k, 6.5, Shade(suit, 0.75));
    // Far arm reaching for the gun grip.
    if (o.gun) {
        Limb(cr, 74, 27, 84, 27, 92, 21, 5, Shade(suit, 0.75));
    } else {
        Limb(cr, 74, 27, 82, 33, 88, 38, 5, Shade(suit, 0.75));
    }
    // Air tank on the back.
    RoundRect(cr, 42, 5, 36, 11, 5.5);
    FillOutline(cr, Linear(0, 5, 0, 16, {{0, 0xFFF0A0}, {0.35, kTank}, {1, 0xA07408}}), 0x4A3204,
                1.2);
    RoundRect(cr, 76, 7, 5, 6, 1.5);
    FillOutline(cr, 0xB8C0C8, 0x30363E, 1.0);
    SetColor(cr, 0xFFFFFF, 0.7);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, 46, 7.5);
    cairo_line_to(cr, 72, 7.5);
    cairo_stroke(cr);
    // Torso.
    cairo_new_path(cr);
    cairo_move_to(cr, 46, 18);
    cairo_curve_to(cr, 56, 13, 74, 13, 82, 17);
    cairo_curve_to(cr, 88, 21, 88, 31, 82, 34);
    cairo_curve_to(cr, 70, 37, 54, 35, 46, 32);
    cairo_curve_to(cr, 42, 29, 42, 21, 46, 18);
    cairo_close_path(cr);
    cairo_path_t* torso = cairo_copy_path(cr);
    FillPattern(cr,
                Linear(0, 13, 0, 36, {{0, Shade(suit, 1.3)}, {0.45, suit}, {1, Shade(suit, 0.6)}}));
    cairo_save(cr);
    cairo_append_path(cr, torso);
    cairo_clip(cr);
    // Side stripe and weight belt.
    cairo_new_path(cr);
    cairo_move_to(cr, 44, 25);
    cairo_curve_to(cr, 60, 23, 74, 23, 88, 25);
    SetColor(cr, kStripe);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    cairo_rectangle(cr, 52, 12, 4, 26);
    SetColor(cr, 0x383C44);
    cairo_fill(cr);
    cairo_rectangle(cr, 51.5, 27, 5, 5);
    SetColor(cr, 0x9AA2AA);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_append_path(cr, torso);
    SetColor(cr, kSuitEdge);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    cairo_path_destroy(torso);
    // Near leg and flipper.
    Limb(cr, 50, 28, 35, 28 + k * 0.4, 21, 28 + k, 7, suit);
    Flipper(cr, 20, 28 + k, k * 0.06, kFlipper);
    if (o.gun) {
        // The near arm reaches past the head to the grip, and the speargun
        // lies beside the head: stock behind it, barrel and point in front
        // of the mask on the shot's line.
        Limb(cr, 76, 28, 88, 29, 100, 25, 5.5, suit);
        RoundRect(cr, 86, 17.5, 14, 5, 2);
        FillOutline(cr, Linear(0, 17, 0, 23, {{0, 0xC08A50}, {1, 0x6A4218}}), 0x2A1806, 1.0);
        cairo_rectangle(cr, 98, 18.5, 12, 3);
        FillOutline(cr, Linear(0, 18, 0, 22, {{0, 0xE8EEF4}, {0.5, 0x9AA4AE}, {1, 0x505A64}}),
                    0x1E242A, 0.9);
        cairo_new_path(cr);
        cairo_move_to(cr, 109, 17.5);
        cairo_line_to(cr, 113, 20);
        cairo_line_to(cr, 109, 22.5);
        cairo_close_path(cr);
        FillOutline(cr, 0xD8E0E8, 0x1E242A, 0.8);
        // Rubber band.
        SetColor(cr, 0x2A0E0A);
        cairo_set_line_width(cr, 1.2);
        cairo_move_to(cr, 99, 21.5);
        cairo_line_to(cr, 105, 18.5);
        cairo_stroke(cr);
    }
    // Regulator hose from the valve over the hood to the mouth.
    cairo_new_path(cr);
    cairo_move_to(cr, 80, 10);
    cairo_curve_to(cr, 90, 8, 99, 22, 95, 31);
    SetColor(cr, 0x1A1E26);
    cairo_set_line_width(cr, 2.6);
    cairo_stroke_preserve(cr);
    SetColor(cr, 0x4A5260);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // Head in a black hood, big enough to read as a head at play size.
    Ellipse(cr, 84.5, 25.5, 10.5, 10);
    FillOutline(cr, Radial(82, 21, 1, 12, {{0, 0x5A6478}, {0.55, 0x2A303C}, {1, 0x12161E}}),
                kSuitEdge, 1.3);
    // Face inside the mask.
    RoundRect(cr, 86, 17.5, 11, 10.5, 3);
    FillOutline(cr, o.skin, 0x3A2010, 0.8);
    // Mask: yellow frame, blue glass over the face, glint.
    RoundRect(cr, 86, 17.5, 11, 10.5, 3);
    FillOutline(
        cr,
        Linear(86, 17.5, 97, 28, {{0, o.dead ? 0x7A9AA8u : 0xB8F0FFu, 0.55}, {1, 0x3A8AB8, 0.6}}),
        0xF0C018, 1.8);
    if (o.dead) {
        SetColor(cr, 0x1A1A22);
        cairo_set_line_width(cr, 1.3);
        cairo_move_to(cr, 90.5, 20.5);
        cairo_line_to(cr, 94.5, 24.5);
        cairo_move_to(cr, 94.5, 20.5);
        cairo_line_to(cr, 90.5, 24.5);
        cairo_stroke(cr);
    } else {
        Ellipse(cr, 93, 22.5, 1.8, 2.1);
        SetColor(cr, 0xFFFFFF);
        cairo_fill(cr);
        Ellipse(cr, 93.6, 22.7, 1.1, 1.4);
        SetColor(cr, 0x1A2030);
        cairo_fill(cr);
        cairo_move_to(cr, 88, 20);
        cairo_line_to(cr, 90.5, 19.3);
        SetColor(cr, 0xFFFFFF, 0.9);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    // Mouthpiece.
    RoundRect(cr, 91, 28.5, 6, 4.5, 1.5);
    FillOutline(cr, 0x505864, 0x14181E, 0.9);
    if (o.gun) {
        // Glove on the grip, in front of the face.
        Ellipse(cr, 100.5, 24.5, 3, 2.6);
        FillOutline(cr, 0x2A2E36, 0x0A0C10, 0.9);
    } else {
        Limb(cr, 76, 29, 84, 36, 92, 40, 5.5, suit);
        Ellipse(cr, 93, 40.5, 3, 2.6);
        FillOutline(cr, 0x2A2E36, 0x0A0C10, 0.9);
    }
}

} // namespace

void PaintDiver(cairo_t* cr, int frame) {
    Diver(cr, frame, Options{});
}

void PaintDeadDiver(cairo_t* cr, Death death) {
    Options o;
    o.gun = false;
    o.dead = true;
    if (death == Death::Air) {
        o.skin = 0x8AB4D8;
        o.suit = 0x2A3A5A;
    }
    // Belly up and tilted, head rising first.
    cairo_save(cr);
    cairo_translate(cr, 56, 23);
    cairo_rotate(cr, -0.18);
    cairo_scale(cr, 1, -1);
    cairo_translate(cr, -56, -23);
    Diver(cr, 1, o);
    cairo_restore(cr);
    if (death == Death::Fish) {
        // Bite marks and a cloud of blood.
        Random rnd(22);
        for (int i = 0; i < 7; ++i) {
            const double x = rnd.Uniform(46, 84), y = rnd.Uniform(18, 36), r = rnd.Uniform(2.5, 5);
            Ellipse(cr, x, y, r, r * 0.8);
            SetColor(cr, 0xB01018, 0.85);
            cairo_fill(cr);
        }
        cairo_new_path(cr);
        for (int i = 0; i < 5; ++i) {
            const double x = 52 + i * 6;
            cairo_move_to(cr, x, 30);
            cairo_line_to(cr, x + 3, 35);
            cairo_line_to(cr, x + 6, 30);
        }
        SetColor(cr, 0x5A0808);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    } else {
        // Last breath: an empty hose and a few tiny bubbles.
        Random rnd(23);
        for (int i = 0; i < 4; ++i) {
            const double r = rnd.Uniform(1.2, 2.4);
            Ellipse(cr, 98 + rnd.Uniform(-3, 6), 4 + i * 4.5, r, r);
            FillOutline(cr, 0xD8F4FF, 0x4A8AB0, 0.8);
        }
    }
}

void PaintHandEngine(cairo_t* cr) {
    // Handle bar the diver grips.
    RoundRect(cr, 0, 12, 9, 6, 2);
    FillOutline(cr, Linear(0, 12, 0, 18, {{0, 0x5A5E66}, {1, 0x24262C}}), 0x0C0E12, 1.0);
    // Motor housing.
    cairo_new_path(cr);
    cairo_move_to(cr, 6, 9);
    cairo_curve_to(cr, 12, 4, 20, 4, 25, 8);
    cairo_line_to(cr, 25, 22);
    cairo_curve_to(cr, 20, 26, 12, 26, 6, 21);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 4, 0, 26, {{0, 0xFFE070}, {0.4, 0xF0A818}, {1, 0x905808}}), 0x402404,
                1.3);
    cairo_rectangle(cr, 10, 12, 12, 3);
    SetColor(cr, 0x2A1A08, 0.7);
    cairo_fill(cr);
    Gloss(cr, 16, 15, 8, 8, kPi * 1.2, kPi * 1.6, 1.5, 0.8);
    // Guard ring and blurred propeller.
    Ellipse(cr, 28, 15, 5, 13);
    FillPattern(cr, Radial(28, 15, 0, 12,
                           {{0, 0xE0F4FF, 0.85}, {0.7, 0xA0C8E0, 0.55}, {1, 0x6090B0, 0.5}}));
    SetColor(cr, 0x1E2A36);
    cairo_set_line_width(cr, 1.6);
    Ellipse(cr, 28, 15, 5, 13);
    cairo_stroke(cr);
    for (int i = 0; i < 3; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 28, 15);
        cairo_scale(cr, 0.35, 1);
        cairo_rotate(cr, i * 2 * kPi / 3 + 0.3);
        cairo_move_to(cr, 0, 0);
        cairo_curve_to(cr, 4, -4, 4, -10, 0, -11);
        cairo_curve_to(cr, -2, -8, -2, -3, 0, 0);
        cairo_restore(cr);
        FillOutline(cr, 0xC8D2DC, 0x2A3440, 0.8);
    }
    Ellipse(cr, 28, 15, 2, 2.5);
    FillOutline(cr, 0x9AA4AE, 0x1E242A, 0.8);
}

} // namespace art
