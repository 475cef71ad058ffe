// The thirteen fish and sea creatures, all facing left. Frames 0..2 are one
// half of a swimming stroke; the game plays them 0, 1, 2, 1, 0.
#include <cmath>

#include "Painters.h"

namespace art {

namespace {

struct Look {
    double nose, tailBase; // x of the snout and of the tail's root
    double cy, bodyH;      // centre line and body height
    std::uint32_t back, belly, fin;
    double dorsal = 0.5; // dorsal fin height as a part of bodyH
    double tail = 12;    // tail length
    int stripes = 0;
    std::uint32_t stripe = 0xFFFFFF;
    std::uint32_t stripeEdge = 0x202020;
    bool spots = false;
    std::uint32_t spot = 0xFFFFFF;
    double eye = 3;
    bool teeth = false;
    bool forkTail = true;
    double snout = 0.08; // pointiness of the snout
};

std::uint32_t OutlineOf(std::uint32_t c) {
    return Shade(c, 0.32);
}

void BodyPath(cairo_t* cr, const Look& f) {
    const double l = f.tailBase - f.nose;
    const double h = f.bodyH / 2;
    cairo_new_path(cr);
    cairo_move_to(cr, f.nose, f.cy + h * 0.1);
    cairo_curve_to(cr, f.nose + l * f.snout, f.cy - h * 0.9, f.nose + l * 0.45, f.cy - h * 1.1,
                   f.tailBase, f.cy - h * 0.22);
    cairo_line_to(cr, f.tailBase, f.cy + h * 0.22);
    cairo_curve_to(cr, f.nose + l * 0.5, f.cy + h * 1.1, f.nose + l * f.snout * 1.2, f.cy + h * 0.9,
                   f.nose, f.cy + h * 0.1);
    cairo_close_path(cr);
}

void Tail(cairo_t* cr, const Look& f, double swing) {
    const double t = f.tail;
    const double x = f.tailBase - 2;
    cairo_new_path(cr);
    cairo_move_to(cr, x, f.cy - f.bodyH * 0.12);
    if (f.forkTail) {
        cairo_curve_to(cr, x + t * 0.5, f.cy - t * 0.2 + swing * 0.5, x + t * 0.8,
                       f.cy - t * 0.7 + swing, x + t, f.cy - t * 0.85 + swing);
        cairo_curve_to(cr, x + t * 0.75, f.cy - t * 0.2 + swing, x + t * 0.7, f.cy + swing * 0.8,
                       x + t * 0.62, f.cy + swing);
        cairo_curve_to(cr, x + t * 0.7, f.cy + swing * 0.8, x + t * 0.75, f.cy + t * 0.2 + swing,
                       x + t, f.cy + t * 0.85 + swing);
        cairo_curve_to(cr, x + t * 0.8, f.cy + t * 0.7 + swing, x + t * 0.5,
                       f.cy + t * 0.2 + swing * 0.5, x, f.cy + f.bodyH * 0.12);
    } else {
        cairo_curve_to(cr, x + t * 0.6, f.cy - t * 0.6 + swing, x + t, f.cy - t * 0.7 + swing,
                       x + t, f.cy + swing);
        cairo_curve_to(cr, x + t, f.cy + t * 0.7 + swing, x + t * 0.6, f.cy + t * 0.6 + swing, x,
                       f.cy + f.bodyH * 0.12);
    }
    cairo_close_path(cr);
    FillOutline(
        cr,
        Linear(x, 0, x + t, 0, {{0, Shade(f.fin, 0.85)}, {0.7, f.fin}, {1, Shade(f.fin, 1.25)}}),
        OutlineOf(f.fin), 1.1);
    // Fin rays.
    SetColor(cr, Shade(f.fin, 0.6), 0.8);
    cairo_set_line_width(cr, 0.7);
    for (int i = -1; i <= 1; ++i) {
        cairo_move_to(cr, x + 2, f.cy + i * 1.5);
        cairo_line_to(cr, x + t * 0.8, f.cy + i * t * 0.45 + swing * 0.9);
    }
    cairo_stroke(cr);
}

void Fins(cairo_t* cr, const Look& f, double flap) {
    const double l = f.tailBase - f.nose;
    const double h = f.bodyH / 2;
    // Dorsal fin.
    if (f.dorsal > 0) {
        const double top = f.cy - h * 0.85;
        cairo_new_path(cr);
        cairo_move_to(cr, f.nose + l * 0.3, top + 2);
        cairo_curve_to(cr, f.nose + l * 0.38, top - f.bodyH * f.dorsal, f.nose + l * 0.55,
                       top - f.bodyH * f.dorsal * 1.1, f.nose + l * 0.78,
                       top - f.bodyH * f.dorsal * 0.4 + flap * 0.3);
        cairo_curve_to(cr, f.nose + l * 0.75, top + 2, f.nose + l * 0.7, top + 3, f.nose + l * 0.7,
                       top + 4);
        cairo_close_path(cr);
        FillOutline(
            cr,
            Linear(0, top - f.bodyH * f.dorsal, 0, top + 3, {{0, Shade(f.fin, 1.15)}, {1, f.fin}}),
            OutlineOf(f.fin), 1.0);
    }
    // Anal fin under the rear half.
    cairo_new_path(cr);
    cairo_move_to(cr, f.nose + l * 0.55, f.cy + h * 0.8);
    cairo_curve_to(cr, f.nose + l * 0.62, f.cy + h * 1.35, f.nose + l * 0.75,
                   f.cy + h * 1.3 - flap * 0.3, f.nose + l * 0.86, f.cy + h * 0.9 - flap * 0.3);
    cairo_line_to(cr, f.nose + l * 0.8, f.cy + h * 0.5);
    cairo_close_path(cr);
    FillOutline(cr, f.fin, OutlineOf(f.fin), 1.0);
}

void Pectoral(cairo_t* cr, const Look& f, double flap) {
    const double l = f.tailBase - f.nose;
    const double px = f.nose + l * 0.3;
    const double py = f.cy + f.bodyH * 0.12;
    cairo_new_path(cr);
    cairo_move_to(cr, px, py - 2);
    cairo_curve_to(cr, px + l * 0.12, py - 3 + flap, px + l * 0.2, py + 2 + flap, px + l * 0.2,
                   py + 4 + flap);
    cairo_curve_to(cr, px + l * 0.12, py + 4 + flap * 0.5, px + 3, py + 3, px, py + 1);
    cairo_close_path(cr);
    FillOutline(cr,
                Linear(px, 0, px + l * 0.2, 0, {{0, Shade(f.fin, 1.1)}, {1, Shade(f.fin, 0.85)}}),
                OutlineOf(f.fin), 0.9);
}

void Fish(cairo_t* cr, const Look& f, int frame) {
    const double stroke[3] = {-1.0, 0.0, 1.0};
    const double s = stroke[frame];
    Tail(cr, f, s * f.tail * 0.32);
    Fins(cr, f, s * 2.0);

    BodyPath(cr, f);
    cairo_path_t* body = cairo_copy_path(cr);
    const double h = f.bodyH / 2;
    FillPattern(
        cr,
        Linear(
            0, f.cy - h, 0, f.cy + h,
            {{0, Shade(f.back, 0.85)}, {0.35, f.back}, {0.7, f.belly}, {1, Shade(f.belly, 0.9)}}));
    const double l = f.tailBase - f.nose;
    // Markings, clipped to the body.
    cairo_save(cr);
    cairo_append_path(cr, body);
    cairo_clip(cr);
    for (int i = 0; i < f.stripes; ++i) {
        const double x = f.nose + l * (0.24 + 0.28 * i) + s * 0.6 * i;
        cairo_new_path(cr);
        cairo_move_to(cr, x - 2.5, f.cy - h * 1.2);
        cairo_curve_to(cr, x - 4.5, f.cy - h * 0.3, x - 4.5, f.cy + h * 0.3, x - 2.5,
                       f.cy + h * 1.2);
        cairo_line_to(cr, x + 2.5, f.cy + h * 1.2);
        cairo_curve_to(cr, x + 0.5, f.cy + h * 0.3, x + 0.5, f.cy - h * 0.3, x + 2.5,
                       f.cy - h * 1.2);
        cairo_close_path(cr);
        FillOutline(cr, f.stripe, f.stripeEdge, 1.1);
    }
    if (f.spots) {
        Random rnd(static_cast<std::uint32_t>(f.back));
        for (int i = 0; i < 9; ++i) {
            const double x = f.nose + l * rnd.Uniform(0.3, 0.95);
            const double y = f.cy + h * rnd.Uniform(-0.7, 0.4);
            Ellipse(cr, x, y, 1.3, 1.3);
            SetColor(cr, f.spot, 0.9);
            cairo_fill(cr);
        }
    }
    // Light from above: soft sheen on the back.
    Ellipse(cr, f.nose + l * 0.45, f.cy - h * 0.55, l * 0.3, h * 0.25);
    SetColor(cr, 0xFFFFFF, 0.28);
    cairo_fill(cr);
    cairo_restore(cr);

    cairo_append_path(cr, body);
    SetColor(cr, OutlineOf(f.back));
    cairo_set_line_width(cr, 1.3);
    cairo_stroke(cr);
    cairo_path_destroy(body);

    // Gill line.
    const double gx = f.nose + l * 0.24;
    cairo_new_path(cr);
    cairo_arc(cr, gx - h * 0.7, f.cy, h * 0.75, -0.9, 0.9);
    SetColor(cr, OutlineOf(f.back), 0.8);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);

    Pectoral(cr, f, s * 2.0);
    Eye(cr, f.nose + l * 0.12 + f.eye * 0.4, f.cy - h * 0.25, f.eye);
    // Mouth.
    cairo_new_path(cr);
    cairo_move_to(cr, f.nose + 0.5, f.cy + h * 0.12);
    cairo_line_to(cr, f.nose + l * 0.07, f.cy + h * 0.2);
    SetColor(cr, OutlineOf(f.belly));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    if (f.teeth) {
        SetColor(cr, 0xF8F4E8);
        for (int i = 0; i < 4; ++i) {
            const double x = f.nose + 1.5 + i * l * 0.02;
            cairo_move_to(cr, x, f.cy + h * 0.12);
            cairo_line_to(cr, x + 1, f.cy + h * 0.32);
            cairo_line_to(cr, x + 2, f.cy + h * 0.14);
        }
        cairo_fill(cr);
    }
}

Look MakeLook(int kind) {
    Look f{};
    switch (kind) {
    case 1: // clownfish
        f = {3, 34, 13, 18, 0xF07A12, 0xFFB04A, 0xF58A20};
        f.stripes = 3;
        f.stripe = 0xFBFBF6;
        f.stripeEdge = 0x24140C;
        f.tail = 10;
        f.forkTail = false;
        f.dorsal = 0.35;
        break;
    case 2: // blue tang
        f = {3, 36, 15, 22, 0x1D5ED8, 0x5AA0F0, 0xFFD21E};
        f.tail = 10;
        f.dorsal = 0.3;
        f.eye = 3.2;
        break;
    case 3: // green wrasse
        f = {3, 38, 12, 14, 0x2E9E48, 0xB8E070, 0x4FB0C8};
        f.tail = 9;
        f.spots = true;
        f.spot = 0xF0F060;
        f.dorsal = 0.35;
        f.snout = 0.04;
        break;
    case 4: // red perch
        f = {3, 38, 15, 20, 0xC8242C, 0xF0806A, 0xE04A3A};
        f.stripes = 2;
        f.stripe = 0x8A1018;
        f.stripeEdge = 0x6A0A10;
        f.tail = 11;
        f.dorsal = 0.6;
        break;
    case 5: // sardine
        f = {2, 26, 7, 9, 0x4A6E90, 0xE4EEF4, 0x90A8C0};
        f.tail = 7;
        f.dorsal = 0.3;
        f.eye = 1.8;
        f.snout = 0.05;
        break;
    case 8: // mackerel
        f = {3, 52, 14, 16, 0x2A6A70, 0xE8F0F0, 0x6A9AA0};
        f.stripes = 0;
        f.spots = true;
        f.spot = 0x10303A;
        f.tail = 14;
        f.dorsal = 0.35;
        f.eye = 3;
        f.snout = 0.05;
        break;
    case 11: // grouper
        f = {4, 72, 24, 34, 0x7A5A2E, 0xD8B880, 0x8A6A38};
        f.spots = true;
        f.spot = 0x4A3010;
        f.tail = 16;
        f.forkTail = false;
        f.dorsal = 0.4;
        f.eye = 4.5;
        f.teeth = true;
        break;
    default:
        break;
    }
    return f;
}

// 6: pink jellyfish pulsing; frame changes the bell and the tentacles.
void Jellyfish(cairo_t* cr, int frame) {
    const double squeeze[3] = {0.0, 1.5, 3.0};
    const double q = squeeze[frame];
    // Tentacles behind the bell.
    for (int i = 0; i < 5; ++i) {
        const double x = 7 + i * 4.0;
        cairo_new_path(cr);
        cairo_move_to(cr, x, 15);
        const double wave = (i % 2 ? 1 : -1) * (2 + q * 0.6);
        cairo_curve_to(cr, x + wave, 22, x - wave, 27, x + wave * 0.5, 34 - q);
        SetColor(cr, 0x9A2A70);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke_preserve(cr);
        SetColor(cr, 0xF0A0D8);
        cairo_set_line_width(cr, 1.1);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
    cairo_move_to(cr, 2 + q, 16);
    cairo_curve_to(cr, 2 + q, 2 + q * 0.5, 28 - q, 2 + q * 0.5, 28 - q, 16);
    for (int i = 4; i >= 0; --i) {
        const double x0 = 2 + q + (26 - 2 * q) * (i + 1) / 5.0;
        const double x1 = 2 + q + (26 - 2 * q) * i / 5.0;
        cairo_curve_to(cr, x0 - 1, 19, x1 + 1, 19, x1, 16);
    }
    cairo_close_path(cr);
    FillOutline(cr, Radial(15, 8, 1, 15, {{0, 0xFFE0F4}, {0.5, 0xF080C8}, {1, 0xC0409A}}, 11, 5),
                0x7A1A58, 1.2);
    Gloss(cr, 15, 11, 8 - q * 0.3, 6, kPi * 1.1, kPi * 1.45, 1.6, 0.85);
    Ellipse(cr, 15, 11, 4, 2.5);
    SetColor(cr, 0xFFF0FA, 0.6);
    cairo_fill(cr);
}

// 7: crab crawling sideways; legs alternate, claws snap.
void Crab(cairo_t* cr, int frame) {
    const double step[3] = {-1.5, 0, 1.5};
    const double s = step[frame];
    const std::uint32_t shell = 0xD83A1E;
    const std::uint32_t edge = 0x5A1008;
    // Legs: four a side.
    for (int side = -1; side <= 1; side += 2) {
        for (int i = 0; i < 3; ++i) {
            const double bx = 24 + side * (7 + i * 3);
            const double kick = (i % 2 ? s : -s) * side;
            cairo_new_path(cr);
            cairo_move_to(cr, bx, 19);
            cairo_line_to(cr, bx + side * 6, 17 + kick * 0.5);
            cairo_line_to(cr, bx + side * 9 + kick, 27);
            SetColor(cr, edge);
            cairo_set_line_width(cr, 3.2);
            cairo_stroke_preserve(cr);
            SetColor(cr, 0xE86A3A);
            cairo_set_line_width(cr, 1.6);
            cairo_stroke(cr);
        }
    }
    // Claws on arms, raised.
    for (int side = -1; side <= 1; side += 2) {
        const double cx = 24 + side * 17;
        const double open = frame == 1 ? 0.2 : 0.55;
        cairo_new_path(cr);
        cairo_move_to(cr, 24 + side * 8, 14);
        cairo_line_to(cr, cx, 10);
        SetColor(cr, edge);
        cairo_set_line_width(cr, 3.5);
        cairo_stroke_preserve(cr);
        SetColor(cr, shell);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_translate(cr, cx, 7);
        cairo_scale(cr, side, 1);
        cairo_new_path(cr);
        cairo_move_to(cr, -3, 3);
        cairo_curve_to(cr, -5, -4, 3, -7, 6, -3 - open * 3);
        cairo_line_to(cr, 1, -1);
        cairo_line_to(cr, 6, 0 + open * 3);
        cairo_curve_to(cr, 4, 5, 0, 6, -3, 3);
        cairo_close_path(cr);
        cairo_restore(cr);
        FillOutline(cr, Radial(cx, 5, 0, 7, {{0, 0xFF8A5A}, {1, shell}}), edge, 1.1);
    }
    // Shell.
    cairo_new_path(cr);
    cairo_move_to(cr, 10, 18);
    cairo_curve_to(cr, 10, 8, 38, 8, 38, 18);
    cairo_curve_to(cr, 36, 23, 12, 23, 10, 18);
    cairo_close_path(cr);
    FillOutline(cr, Radial(22, 12, 1, 16, {{0, 0xFF9A62}, {0.6, shell}, {1, 0xA82410}}, 20, 10),
                edge, 1.3);
    // Speckles and eye stalks.
    SetColor(cr, 0xFFC090, 0.8);
    for (double x : {16.0, 21.0, 27.0, 32.0}) {
        Ellipse(cr, x, 14 + (static_cast<int>(x) % 3), 1, 0.8);
        cairo_fill(cr);
    }
    for (int side = -1; side <= 1; side += 2) {
        cairo_new_path(cr);
        cairo_move_to(cr, 24 + side * 3, 11);
        cairo_line_to(cr, 24 + side * 4, 5);
        SetColor(cr, edge);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
        Eye(cr, 24 + side * 4, 4.5, 2.2, 0);
    }
}

// 9: puffer fish, round and spiny, with cheeks that puff.
void Puffer(cairo_t* cr, int frame) {
    const double puff[3] = {0, 1.2, 2.4};
    const double p = puff[frame];
    const double cx = 25, cy = 22, r = 15 + p;
    // Tail.
    cairo_new_path(cr);
    cairo_move_to(cr, cx + r - 2, cy);
    cairo_curve_to(cr, cx + r + 6, cy - 6 - p * 2, cx + r + 10, cy - 8 - p * 2, cx + r + 10,
                   cy - 2);
    cairo_curve_to(cr, cx + r + 10, cy + 6, cx + r + 6, cy + 6 + p * 2, cx + r - 2, cy + 2);
    cairo_close_path(cr);
    FillOutline(cr, 0xE8C030, 0x6A4808, 1.1);
    // Spines.
    SetColor(cr, 0x6A4808);
    for (int i = 0; i < 16; ++i) {
        const double a = i * 2 * kPi / 16 + 0.2;
        cairo_move_to(cr, cx + std::cos(a - 0.12) * r * 0.92, cy + std::sin(a - 0.12) * r * 0.92);
        cairo_line_to(cr, cx + std::cos(a) * (r + 4 + p * 0.5),
                      cy + std::sin(a) * (r + 4 + p * 0.5));
        cairo_line_to(cr, cx + std::cos(a + 0.12) * r * 0.92, cy + std::sin(a + 0.12) * r * 0.92);
    }
    cairo_fill(cr);
    Ellipse(cr, cx, cy, r, r * 0.92);
    FillOutline(cr,
                Radial(cx - 4, cy - 6, 1, r * 1.2,
                       {{0, 0xFFF4A0}, {0.45, 0xF2CC30}, {0.85, 0xC89010}, {1, 0xA06A08}}),
                0x5A3A06, 1.4);
    // Belly and spots.
    Ellipse(cr, cx, cy + r * 0.45, r * 0.7, r * 0.4);
    SetColor(cr, 0xFFF8E0, 0.75);
    cairo_fill(cr);
    SetColor(cr, 0x7A5208, 0.8);
    for (auto [x, y] :
         {std::pair{6.0, -8.0}, {10.0, -2.0}, {2.0, -11.0}, {-2.0, -4.0}, {12.0, -9.0}}) {
        Ellipse(cr, cx + x, cy + y, 1.4, 1.4);
        cairo_fill(cr);
    }
    Gloss(cr, cx, cy, r * 0.8, r * 0.75, kPi * 1.15, kPi * 1.45, 2, 0.7);
    Eye(cr, cx - r * 0.55, cy - r * 0.25, 4.2);
    // Pursed mouth.
    Ellipse(cr, cx - r - 0.5, cy + 3, 2, 1.6);
    FillOutline(cr, 0xE06040, 0x5A2010, 0.9);
    // Little side fin.
    cairo_new_path(cr);
    cairo_move_to(cr, cx - 2, cy + 2);
    cairo_curve_to(cr, cx + 4, cy - 2 + p, cx + 8, cy + 2 + p, cx + 6, cy + 6);
    cairo_close_path(cr);
    FillOutline(cr, 0xF0D060, 0x6A4808, 0.9);
}

// 10: moray eel; the body waves along its length.
void Eel(cairo_t* cr, int frame) {
    const double phase = frame * 0.9;
    const int n = 40;
    std::vector<std::pair<double, double>> top, bottom;
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double x = 4 + t * 90;
        const double y = 15 + std::sin(t * 2 * kPi * 1.1 - phase) * (2 + 5 * t);
        double half = 6.5 * (t < 0.12 ? 0.55 + t * 3.7 : 1.0 - (t - 0.12) * 0.75);
        top.emplace_back(x, y - half);
        bottom.emplace_back(x, y + half);
    }
    cairo_new_path(cr);
    cairo_move_to(cr, top[0].first, top[0].second);
    for (auto& p : top)
        cairo_line_to(cr, p.first, p.second);
    for (int i = n; i >= 0; --i)
        cairo_line_to(cr, bottom[i].first, bottom[i].second);
    cairo_close_path(cr);
    cairo_path_t* body = cairo_copy_path(cr);
    // A fin seam along the back.
    cairo_new_path(cr);
    for (int i = 5; i <= n; ++i)
        cairo_line_to(cr, top[i].first, top[i].second - 2.5 + (i == n ? 2.5 : 0));
    for (int i = n; i >= 5; --i)
        cairo_line_to(cr, top[i].first, top[i].second + 1);
    cairo_close_path(cr);
    FillOutline(cr, 0x8AA030, 0x2A3A08, 0.9);
    cairo_append_path(cr, body);
    FillPattern(cr, Linear(0, 6, 0, 24, {{0, 0x3E6A1E}, {0.45, 0x6A9A2A}, {1, 0xC8D870}}));
    cairo_save(cr);
    cairo_append_path(cr, body);
    cairo_clip(cr);
    Random rnd(10);
    for (int i = 0; i < 26; ++i) {
        const int k = rnd.Int(4, n - 1);
        Ellipse(cr, top[k].first + rnd.Uniform(-1, 1),
                (top[k].second + bottom[k].second) / 2 + rnd.Uniform(-4, 2), 1.6, 1.2);
        SetColor(cr, 0x2A4A10, 0.7);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    cairo_append_path(cr, body);
    SetColor(cr, 0x203408);
    cairo_set_line_width(cr, 1.3);
    cairo_stroke(cr);
    cairo_path_destroy(body);
    // Open jaw with teeth.
    const double hy = (top[2].second + bottom[2].second) / 2;
    cairo_new_path(cr);
    cairo_move_to(cr, 3, hy + 0.5);
    cairo_line_to(cr, 12, hy + 1.5);
    cairo_line_to(cr, 4, hy + 4.5);
    cairo_close_path(cr);
    FillOutline(cr, 0x7A1820, 0x3A0808, 0.9);
    SetColor(cr, 0xFFFFF0);
    for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, 5 + i * 2.5, hy + 1);
        cairo_line_to(cr, 6 + i * 2.5, hy + 2.6);
        cairo_line_to(cr, 7 + i * 2.5, hy + 1.1);
    }
    cairo_fill(cr);
    Eye(cr, 11, hy - 3, 2.4, -0.3, 0x402008);
}

// 11 alternative kept simple; 12: anglerfish with its lure and fangs.
void Angler(cairo_t* cr, int frame) {
    const double s = (frame - 1) * 1.0;
    const std::uint32_t skin = 0x4A3A5A;
    // Tail.
    cairo_new_path(cr);
    cairo_move_to(cr, 62, 34);
    cairo_curve_to(cr, 70, 28 + s * 3, 76, 22 + s * 4, 79, 24 + s * 4);
    cairo_line_to(cr, 79, 46 + s * 4);
    cairo_curve_to(cr, 76, 47 + s * 4, 70, 42 + s * 3, 62, 38);
    cairo_close_path(cr);
    FillOutline(cr, 0x5E4A70, 0x1E1428, 1.2);
    // Lure: stalk and glowing bulb.
    cairo_new_path(cr);
    cairo_move_to(cr, 30, 16);
    cairo_curve_to(cr, 24, 2, 12, 0, 8 + s, 8);
    SetColor(cr, 0x2A1E34);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    Ellipse(cr, 8 + s, 10, 6, 6);
    FillPattern(
        cr, Radial(8 + s, 10, 0, 6, {{0, 0xFFFFE0, 0.9}, {0.6, 0xE8F870, 0.6}, {1, 0xC0F040, 0}}));
    Ellipse(cr, 8 + s, 10, 3, 3);
    FillOutline(cr, Radial(7 + s, 9, 0, 3, {{0, 0xFFFFF0}, {1, 0xD8F060}}), 0x6A7A10, 0.9);
    // Body.
    cairo_new_path(cr);
    cairo_move_to(cr, 6, 30);
    cairo_curve_to(cr, 6, 12, 30, 10, 48, 16);
    cairo_curve_to(cr, 58, 20, 64, 28, 64, 36);
    cairo_curve_to(cr, 62, 50, 44, 58, 28, 56);
    cairo_curve_to(cr, 14, 54, 4, 46, 6, 30);
    cairo_close_path(cr);
    FillOutline(cr, Radial(30, 24, 2, 38, {{0, 0x8A76A0}, {0.55, skin}, {1, 0x2A2036}}, 26, 20),
                0x1A1024, 1.5);
    // Warts.
    Random rnd(12);
    for (int i = 0; i < 14; ++i) {
        Ellipse(cr, rnd.Uniform(18, 58), rnd.Uniform(18, 50), 1.3, 1.3);
        SetColor(cr, 0x9A88B0, 0.8);
        cairo_fill(cr);
    }
    // Huge mouth with fangs.
    cairo_new_path(cr);
    cairo_move_to(cr, 4, 32);
    cairo_curve_to(cr, 14, 36, 26, 38, 34, 36);
    cairo_curve_to(cr, 28, 46 + s, 14, 48 + s, 6, 42);
    cairo_close_path(cr);
    FillOutline(cr, 0x5A0A1A, 0x1A0408, 1.2);
    SetColor(cr, 0xF8F4E0);
    for (int i = 0; i < 6; ++i) {
        const double x = 8 + i * 4.2;
        cairo_move_to(cr, x, 33.5 + i * 0.4);
        cairo_line_to(cr, x + 1.3, 39 + i * 0.3);
        cairo_line_to(cr, x + 2.6, 34 + i * 0.45);
        cairo_move_to(cr, x + 1, 45 + s * 0.7 - i * 0.2);
        cairo_line_to(cr, x + 2.2, 40.5);
        cairo_line_to(cr, x + 3.4, 45 + s * 0.7 - i * 0.3);
    }
    cairo_fill(cr);
    Eye(cr, 22, 23, 4.5, -0.3, 0x601010);
    // Pectoral fin.
    cairo_new_path(cr);
    cairo_move_to(cr, 40, 40);
    cairo_curve_to(cr, 46, 44 + s * 2, 52, 50 + s * 2, 50, 54 + s * 2);
    cairo_curve_to(cr, 44, 52, 40, 48, 38, 44);
    cairo_close_path(cr);
    FillOutline(cr, 0x6A5680, 0x1E1428, 1.0);
}

// 8: squid jetting left, tentacles trailing to the right; sandy with rust
// spots, so it never passes for the pink jellyfish.
void Squid(cairo_t* cr, int frame) {
    const double s = (frame - 1) * 1.0;
    // Tentacles.
    for (int i = 0; i < 6; ++i) {
        const double y = 10 + i * 3.0;
        cairo_new_path(cr);
        cairo_move_to(cr, 40, 12 + i * 2);
        cairo_curve_to(cr, 50, y + s * (i % 2 ? 3 : -3), 58, y - s * 2, 68,
                       y + 2 + s * (i % 2 ? -2 : 2));
        SetColor(cr, 0x6A2E14);
        cairo_set_line_width(cr, 3.0);
        cairo_stroke_preserve(cr);
        SetColor(cr, 0xF0B088);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
    }
    // Mantle with side fins at the front (the squid swims mantle first).
    cairo_new_path(cr);
    cairo_move_to(cr, 2, 17);
    cairo_curve_to(cr, 6, 8 - s, 12, 6 - s, 14, 8);
    cairo_line_to(cr, 12, 17);
    cairo_line_to(cr, 14, 26);
    cairo_curve_to(cr, 12, 28 + s, 6, 26 + s, 2, 17);
    cairo_close_path(cr);
    FillOutline(cr, 0xE89868, 0x5A2810, 1.1);
    cairo_new_path(cr);
    cairo_move_to(cr, 4, 17);
    cairo_curve_to(cr, 10, 8, 30, 7, 44, 12);
    cairo_line_to(cr, 44, 22);
    cairo_curve_to(cr, 30, 27, 10, 26, 4, 17);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 8, 0, 26, {{0, 0xD8804A}, {0.5, 0xF4B88A}, {1, 0xFFF0DC}}), 0x5A2810,
                1.3);
    SetColor(cr, 0xA8401A, 0.8);
    Random rnd(8);
    for (int i = 0; i < 10; ++i) {
        Ellipse(cr, rnd.Uniform(10, 40), rnd.Uniform(11, 19), 1.2, 1.0);
        cairo_fill(cr);
    }
    Gloss(cr, 24, 17, 16, 6, kPi * 1.1, kPi * 1.6, 1.6, 0.6);
    // Head and eye.
    Ellipse(cr, 44, 17, 5, 6);
    FillOutline(cr, 0xF0A878, 0x5A2810, 1.1);
    Eye(cr, 44, 16, 3.2, 0.3, 0x201020);
}

// 13: the shark, biggest and meanest.
void Shark(cairo_t* cr, int frame) {
    const double s = (frame - 1) * 1.0;
    const std::uint32_t top = 0x5A6A7E, under = 0xE8ECEE, edge = 0x1A2230;
    // Tail (heterocercal).
    cairo_new_path(cr);
    cairo_move_to(cr, 128, 30);
    cairo_curve_to(cr, 138, 22 + s * 3, 148, 8 + s * 5, 158, 2 + s * 5);
    cairo_curve_to(cr, 154, 16 + s * 4, 150, 28 + s * 3, 148, 34 + s * 2);
    cairo_curve_to(cr, 152, 40 + s * 2, 154, 46 + s * 3, 156, 52 + s * 3);
    cairo_curve_to(cr, 146, 46 + s * 2, 136, 40 + s * 2, 128, 38);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 0, 0, 54, {{0, 0x6A7A8E}, {1, 0x4A5868}}), edge, 1.4);
    // Dorsal fin.
    cairo_new_path(cr);
    cairo_move_to(cr, 62, 19);
    cairo_curve_to(cr, 68, 12, 74, 4, 82, 0);
    cairo_curve_to(cr, 82, 8, 84, 14, 90, 19);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 0, 0, 20, {{0, 0x6E7E92}, {1, top}}), edge, 1.3);
    // Second small dorsal and anal fins.
    cairo_new_path(cr);
    cairo_move_to(cr, 114, 27);
    cairo_line_to(cr, 120, 21);
    cairo_line_to(cr, 122, 28);
    cairo_close_path(cr);
    FillOutline(cr, top, edge, 1.0);
    cairo_new_path(cr);
    cairo_move_to(cr, 108, 42);
    cairo_line_to(cr, 116, 49 - s);
    cairo_line_to(cr, 118, 40);
    cairo_close_path(cr);
    FillOutline(cr, top, edge, 1.0);
    // Body.
    cairo_new_path(cr);
    cairo_move_to(cr, 2, 34);
    cairo_curve_to(cr, 6, 22, 30, 16, 62, 17);
    cairo_curve_to(cr, 96, 18, 118, 25, 132, 32);
    cairo_curve_to(cr, 118, 40, 96, 48, 62, 49);
    cairo_curve_to(cr, 34, 50, 12, 46, 2, 34);
    cairo_close_path(cr);
    cairo_path_t* body = cairo_copy_path(cr);
    FillPattern(
        cr, Linear(0, 17, 0, 50,
                   {{0, 0x46566A}, {0.4, top}, {0.55, 0xA8B4C0}, {0.62, under}, {1, 0xC8D0D4}}));
    cairo_save(cr);
    cairo_append_path(cr, body);
    cairo_clip(cr);
    Ellipse(cr, 60, 24, 40, 4);
    SetColor(cr, 0xFFFFFF, 0.22);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_append_path(cr, body);
    SetColor(cr, edge);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    cairo_path_destroy(body);
    // Gills.
    SetColor(cr, 0x2A3444, 0.9);
    cairo_set_line_width(cr, 1.1);
    for (int i = 0; i < 4; ++i) {
        cairo_move_to(cr, 36 + i * 4, 27);
        cairo_curve_to(cr, 34 + i * 4, 32, 34 + i * 4, 36, 36 + i * 4, 40);
    }
    cairo_stroke(cr);
    // Pectoral fin sweeping down.
    cairo_new_path(cr);
    cairo_move_to(cr, 48, 42);
    cairo_curve_to(cr, 56, 48 + s * 2, 62, 56 + s * 3, 70, 62 + s);
    cairo_curve_to(cr, 68, 52, 66, 46, 62, 42);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 42, 0, 62, {{0, top}, {1, 0x3E4C5C}}), edge, 1.2);
    // Jaw with teeth.
    cairo_new_path(cr);
    cairo_move_to(cr, 8, 38);
    cairo_curve_to(cr, 14, 41, 22, 41 + s, 28, 39);
    cairo_curve_to(cr, 22, 44 + s, 14, 45 + s, 8, 38);
    cairo_close_path(cr);
    FillOutline(cr, 0x8A1822, 0x3A0810, 1.0);
    SetColor(cr, 0xFFFFF4);
    for (int i = 0; i < 6; ++i) {
        const double x = 10 + i * 3.0;
        cairo_move_to(cr, x, 38.6 + i * 0.3);
        cairo_line_to(cr, x + 1.2, 41.5 + i * 0.2);
        cairo_line_to(cr, x + 2.4, 39 + i * 0.3);
    }
    cairo_fill(cr);
    // Mean eye with a brow.
    Eye(cr, 22, 29, 3.2, -0.2, 0x101018);
    cairo_new_path(cr);
    cairo_move_to(cr, 16, 25);
    cairo_line_to(cr, 27, 27.5);
    SetColor(cr, edge);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    // Nostril.
    Ellipse(cr, 8, 31, 1.2, 0.7);
    SetColor(cr, edge);
    cairo_fill(cr);
}

// 11: swordfish, long bill.
void Swordfish(cairo_t* cr, int frame) {
    Look f{};
    f.nose = 30;
    f.tailBase = 96;
    f.cy = 22;
    f.bodyH = 20;
    f.back = 0x24407A;
    f.belly = 0xC8D4E8;
    f.fin = 0x34508A;
    f.tail = 16;
    f.dorsal = 0.9;
    f.eye = 3.2;
    f.snout = 0.02;
    // Bill.
    cairo_new_path(cr);
    cairo_move_to(cr, 34, 20);
    cairo_line_to(cr, 1, 22.5);
    cairo_line_to(cr, 34, 24);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 20, 0, 24, {{0, 0x6A7A9A}, {1, 0x3A4A6A}}), 0x141E36, 1.0);
    Fish(cr, f, frame);
    // Silver streak along the side.
    cairo_new_path(cr);
    cairo_move_to(cr, 40, 23);
    cairo_curve_to(cr, 60, 21, 80, 21, 94, 22);
    SetColor(cr, 0xB0D0FF, 0.7);
    cairo_set_line_width(cr, 1.3);
    cairo_stroke(cr);
}

} // namespace

Size FishSize(int kind) {
    static const Size sizes[14] = {{0, 0},   {46, 26},  {48, 30}, {50, 24}, {52, 32},
                                   {34, 14}, {30, 36},  {48, 28}, {70, 34}, {64, 42},
                                   {98, 30}, {112, 40}, {82, 60}, {160, 64}};
    return sizes[kind];
}

void PaintFish(cairo_t* cr, int kind, int frame) {
    switch (kind) {
    case 6:
        Jellyfish(cr, frame);
        return;
    case 7:
        Crab(cr, frame);
        return;
    case 8: {
        Squid(cr, frame);
        return;
    }
    case 9:
        cairo_save(cr);
        cairo_translate(cr, 2, -1);
        Puffer(cr, frame);
        cairo_restore(cr);
        return;
    case 10:
        Eel(cr, frame);
        return;
    case 11:
        Swordfish(cr, frame);
        return;
    case 12:
        Angler(cr, frame);
        return;
    case 13:
        cairo_save(cr);
        cairo_translate(cr, 0, 4);
        Shark(cr, frame);
        cairo_restore(cr);
        return;
    default: {
        Look f = MakeLook(kind == 8 ? 8 : kind);
        Fish(cr, f, frame);
        return;
    }
    }
}

void PaintDeadFish(cairo_t* cr) {
    // A grey fish belly up, eye crossed out.
    cairo_save(cr);
    cairo_translate(cr, 0, kDeadFishSize.height);
    cairo_scale(cr, 1, -1);
    Look f{4, 36, 14, 18, 0x7A8288, 0xC8CCC8, 0x8A9096};
    f.tail = 10;
    f.dorsal = 0.35;
    Fish(cr, f, 1);
    cairo_restore(cr);
    // Cross over the eye (eye sits low now).
    const double ex = 4 + 32 * 0.12 + 1.2, ey = kDeadFishSize.height - (14 - 9 * 0.25);
    Ellipse(cr, ex, ey, 3.2, 3.2);
    FillOutline(cr, 0xE8ECEC, 0x2A3036, 0.8);
    SetColor(cr, 0x2A3036);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, ex - 2, ey - 2);
    cairo_line_to(cr, ex + 2, ey + 2);
    cairo_move_to(cr, ex + 2, ey - 2);
    cairo_line_to(cr, ex - 2, ey + 2);
    cairo_stroke(cr);
}

} // namespace art
