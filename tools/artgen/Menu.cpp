// The menu archive: the title screen with its six entries, the sub-screen
// backgrounds with their static labels, and the highlight pictures cut out
// of lit versions of the same screens, so each covers its entry exactly.
#include <cmath>

#include "Painters.h"

namespace art {

namespace {

constexpr int kEntryX = 489, kEntryW = 290, kEntryH = 38;
constexpr int kEntryY[6] = {177, 221, 265, 309, 353, 397};
const char* const kEntries[6] = {"ИГРАТЬ", "НАСТРОЙКИ",   "РЕКОРДЫ",
                                 "ПОМОЩЬ", "ДРУГИЕ ИГРЫ", "ВЫХОД"};

constexpr int kSubX = 31, kSubY = 175, kSubW = 450, kSubH = 380;

struct Rect {
    int x, y, w, h; // screen coordinates
};

// Items of the sub-screens (screen coordinates).
constexpr Rect kWindow{176, 215, 124, 30}, kFull{305, 215, 166, 30};
constexpr Rect kMusOn{155, 264, 54, 28}, kMusOff{213, 264, 62, 28};
constexpr Rect kSoundOn{164, 311, 54, 28}, kSoundOff{221, 311, 62, 28};
constexpr Rect kBack{318, 504, 70, 26};
constexpr Rect kClear{31, 490, 172, 40}, kView{211, 490, 102, 40};
constexpr Rect kPrev{31, 489, 182, 40}, kNext{390, 489, 88, 40};

void Entry(cairo_t* cr, int i, bool lit) {
    const double x = kEntryX, y = kEntryY[i];
    RoundRect(cr, x + 1, y + 1, kEntryW - 2, kEntryH - 2, 9);
    if (lit) {
        FillOutline(cr,
                    Linear(0, y, 0, y + kEntryH, {{0, 0x5AD0F0}, {0.45, 0x1E8AB8}, {1, 0x0C4A78}}),
                    0xF8D060, 2);
    } else {
        FillOutline(cr,
                    Linear(0, y, 0, y + kEntryH, {{0, 0x1E4A70}, {0.5, 0x123456}, {1, 0x0A2440}}),
                    0x6A8AA8, 1.4);
    }
    // Gloss on the upper half.
    RoundRect(cr, x + 5, y + 4, kEntryW - 10, kEntryH / 2 - 4, 6);
    SetColor(cr, 0xFFFFFF, lit ? 0.22 : 0.08);
    cairo_fill(cr);
    // A bubble bullet, a little fish when lit.
    if (lit) {
        cairo_save(cr);
        cairo_translate(cr, x + 8, y + 8);
        cairo_scale(cr, 0.55, 0.55);
        cairo_translate(cr, 46, 0);
        cairo_scale(cr, -1, 1);
        PaintFish(cr, 1, 1);
        cairo_restore(cr);
    } else {
        Ellipse(cr, x + 20, y + kEntryH / 2.0, 6, 6);
        FillOutline(cr, Radial(x + 18, y + 17, 0, 7, {{0, 0xE8FCFF}, {1, 0x3A8AB8}}), 0x0A2440, 1);
    }
    const Font font{"Liberation Sans", 24, true};
    if (lit) {
        Text(cr, kEntries[i], x + 40, y + 6, font,
             Linear(0, 0, 0, 26, {{0, 0xFFFFE0}, {0.5, 0xFFE060}, {1, 0xF0A020}}), 0x3A1A00, 3,
             Align::Left, 1.5);
    } else {
        Text(cr, kEntries[i], x + 40, y + 6, font,
             Linear(0, 0, 0, 26, {{0, 0xD0ECFF}, {1, 0x78B0E0}}), 0x04101E, 2.5, Align::Left, 1.5);
    }
}

void Title(cairo_t* cr) {
    const Font big{"DejaVu Sans", 80, true};
    // Soft glow behind the letters.
    Ellipse(cr, 400, 82, 300, 60);
    FillPattern(cr, Radial(400, 82, 10, 300, {{0, 0xFFFFFF, 0.25}, {1, 0xFFFFFF, 0}}));
    Text(cr, "BRINEHOLD", 400, 18, big,
         Linear(0, 0, 0, 96, {{0, 0xFFF8C0}, {0.35, 0xFFD040}, {0.6, 0xE08A10}, {1, 0x8A4A04}}),
         0x1A0C02, 6, Align::Center, 4);
    // Shine on the upper half of the letters.
    cairo_save(cr);
    cairo_rectangle(cr, 0, 30, 800, 34);
    cairo_clip(cr);
    Text(cr, "BRINEHOLD", 400, 18, big,
         Linear(0, 30, 0, 64, {{0, 0xFFFFFF, 0.55}, {1, 0xFFFFFF, 0}}), 0, 0, Align::Center);
    cairo_restore(cr);
    Text(cr, "ПОДВОДНАЯ ОХОТА ЗА СОКРОВИЩАМИ", 400, 124, Font{"Liberation Sans", 22, true},
         Linear(0, 0, 0, 24, {{0, 0xE8FCFF}, {1, 0x7AC8F0}}), 0x04142A, 3, Align::Center, 2);
}

void Bubbles(cairo_t* cr, std::uint32_t seed, double x0, double x1, double y0, double y1,
             int count) {
    Random rnd(seed);
    for (int i = 0; i < count; ++i) {
        const double r = rnd.Uniform(1.5, 6);
        const double x = rnd.Uniform(x0, x1), y = rnd.Uniform(y0, y1);
        Ellipse(cr, x, y, r, r);
        FillPattern(cr, Radial(x, y, 0, r,
                               {{0, 0x9ADCF0, 0.3}, {0.8, 0xB8ECFF, 0.55}, {1, 0xE8FCFF, 0.9}}));
        Ellipse(cr, x - r * 0.35, y - r * 0.35, r * 0.3, r * 0.3);
        SetColor(cr, 0xFFFFFF, 0.9);
        cairo_fill(cr);
    }
}

// The scene shown in the left panel while no sub-screen is open.
void PanelScene(cairo_t* cr) {
    cairo_save(cr);
    RoundRect(cr, kSubX, kSubY, kSubW, kSubH, 12);
    cairo_clip(cr);
    cairo_translate(cr, kSubX, kSubY);
    PaintSea(cr, kSubW, kSubH, -20, 77);
    // Sandy floor with a chest, algae and a crab.
    cairo_new_path(cr);
    cairo_move_to(cr, 0, kSubH);
    for (int x = 0; x <= kSubW; x += 3)
        cairo_line_to(cr, x, 318 + std::sin(x / 40.0) * 8 + std::sin(x / 13.0) * 2);
    cairo_line_to(cr, kSubW, kSubH);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 310, 0, kSubH, {{0, 0xE2C688}, {0.5, 0xB8985E}, {1, 0x7A6440}}),
                0x5A4424, 1.5);
    Place(cr, 22, 236, 1.0, [](cairo_t* c) { PaintAlgae(c, 3, 1); });
    Place(cr, 380, 268, 1.0, [](cairo_t* c) { PaintAlgae(c, 1, 0); });
    Place(cr, 60, 290, 1.4, [](cairo_t* c) { PaintTreasure(c, 8); });
    Place(cr, 190, 300, 1.1, [](cairo_t* c) { PaintTreasure(c, 2); });
    Place(cr, 300, 318, 1.0, [](cairo_t* c) { PaintFish(c, 7, 1); });
    Place(cr, 230, 30, 1.2, [](cairo_t* c) { PaintFish(c, 13, 1); });
    Place(cr, 330, 150, 1.2, [](cairo_t* c) { PaintFish(c, 1, 0); });
    Place(cr, 370, 200, 1.0, [](cairo_t* c) { PaintFish(c, 2, 2); });
    Place(cr, 300, 245, 1.0, [](cairo_t* c) { PaintFish(c, 5, 1); });
    Place(cr, 324, 236, 1.0, [](cairo_t* c) { PaintFish(c, 5, 0); });
    Place(cr, 40, 150, 2.0, [](cairo_t* c) { PaintDiver(c, 1); });
    Place(cr, 290, 184, 1.0, [](cairo_t* c) { PaintShot(c); });
    Place(cr, 218, 185, 1.0, [](cairo_t* c) { PaintTail(c, 0); });
    Bubbles(cr, 78, 190, 230, 20, 150, 9);
    cairo_restore(cr);
    PaintPanel(cr, kSubX, kSubY, kSubW, kSubH, 12, false);
}

void MenuScreen(cairo_t* cr, bool lit) {
    PaintSea(cr, 800, 600, 8, 601);
    // Floor along the bottom on the right.
    cairo_new_path(cr);
    cairo_move_to(cr, 480, 600);
    for (int x = 480; x <= 800; x += 3)
        cairo_line_to(cr, x, 560 + std::sin(x / 30.0) * 6);
    cairo_line_to(cr, 800, 600);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 550, 0, 600, {{0, 0xD8BC80}, {1, 0x8A7048}}), 0x5A4424, 1.5);
    Place(cr, 500, 470, 1.2, [](cairo_t* c) { PaintAlgae(c, 3, 2); });
    Place(cr, 740, 480, 1.1, [](cairo_t* c) { PaintAlgae(c, 1, 2); });
    Place(cr, 600, 544, 1.2, [](cairo_t* c) { PaintTreasure(c, 1); });
    Place(cr, 680, 550, 1.0, [](cairo_t* c) { PaintTreasure(c, 4); });
    Place(cr, 640, 470, 1.0, [](cairo_t* c) { PaintFish(c, 9, 1); });
    Place(cr, 560, 500, 1.0, [](cairo_t* c) { PaintFish(c, 6, 0); });
    Bubbles(cr, 602, 20, 780, 150, 460, 22);
    PanelScene(cr);
    for (int i = 0; i < 6; ++i)
        Entry(cr, i, lit);
    Title(cr);
    Text(cr, "Enter - выбор     Esc - выход", 634, 446, Font{"Liberation Sans", 13, true}, 0xA8D8F8,
         0x04101E, 2, Align::Center);
}

// A switch word or a button of a sub-screen: dim when off, a lit pill when on.
void Word(cairo_t* cr, const Rect& rect, const std::string& text, bool lit, double size = 18) {
    // Buttons on the panel's left edge keep clear of its brass rim.
    Rect r = rect;
    if (r.x == kSubX) {
        r.x += 9;
        r.w -= 9;
    }
    const Font font = FitFont(cr, text, Font{"Liberation Sans", size, true}, r.w - 8);
    const double ty = r.y + (r.h - font.size * 1.15) / 2;
    if (lit) {
        RoundRect(cr, r.x + 1, r.y + 1, r.w - 2, r.h - 2, r.h / 2.0 - 1);
        FillOutline(cr,
                    Linear(0, r.y, 0, r.y + r.h, {{0, 0x6AE0FF}, {0.5, 0x1E90C0}, {1, 0x0C5080}}),
                    0xF8D060, 1.6);
        RoundRect(cr, r.x + 5, r.y + 3, r.w - 10, r.h / 2.0 - 3, r.h / 4.0);
        SetColor(cr, 0xFFFFFF, 0.25);
        cairo_fill(cr);
        Text(cr, text, r.x + r.w / 2.0, ty, font,
             Linear(0, 0, 0, font.size, {{0, 0xFFFFF0}, {1, 0xFFD850}}), 0x2A1400, 2.6,
             Align::Center, 1.2);
    } else {
        RoundRect(cr, r.x + 1.5, r.y + 1.5, r.w - 3, r.h - 3, r.h / 2.0 - 1);
        SetColor(cr, 0x3A6A94, 0.9);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
        Text(cr, text, r.x + r.w / 2.0, ty, font, 0x7AA8D0, 0x04101E, 2, Align::Center);
    }
}

enum class Sub { Options, Scores, Help };

void SubScreen(cairo_t* cr, Sub sub, bool lit) {
    PaintPanel(cr, kSubX, kSubY, kSubW, kSubH, 12);
    Word(cr, kBack, "НАЗАД", lit, 17);
    switch (sub) {
    case Sub::Options: {
        Label(cr, "НАСТРОЙКИ", 256, 180, 20, Align::Center);
        Label(cr, "ЭКРАН:", 44, 219, 17);
        Word(cr, kWindow, "В ОКНЕ", lit);
        Word(cr, kFull, "ПОЛНЫЙ ЭКРАН", lit);
        Label(cr, "МУЗЫКА:", 44, 267, 17);
        Word(cr, kMusOn, "ВКЛ", lit, 17);
        Word(cr, kMusOff, "ВЫКЛ", lit, 17);
        Label(cr, "ЗВУК:", 44, 314, 17);
        Word(cr, kSoundOn, "ВКЛ", lit, 17);
        Word(cr, kSoundOff, "ВЫКЛ", lit, 17);
        Label(cr, "СТРАНА:", 44, 364, 17);
        Inset(cr, 252, 359, 222, 32);
        Label(cr, "КЛАВИША", 44, 405, 15);
        Label(cr, "ШЕФА:", 44, 423, 15);
        Inset(cr, 189, 409, 138, 32);
        Text(cr, "Enter - изменить, стрелки - выбор", 46, 460, Font{"Liberation Sans", 13, true},
             0x8AB8E0, 0x04101E, 2);
        Text(cr, "Клавиша шефа мгновенно прячет игру", 46, 478, Font{"Liberation Sans", 13, true},
             0x8AB8E0, 0x04101E, 2);
        break;
    }
    case Sub::Scores: {
        Label(cr, "МЕСТО", 40, 186, 15);
        Label(cr, "ИМЯ", 130, 186, 15);
        Label(cr, "ОЧКИ", 340, 186, 15);
        cairo_move_to(cr, 40, 209.5);
        cairo_line_to(cr, 470, 209.5);
        SetColor(cr, 0xC89A40);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        for (int r = 0; r < 10; ++r) {
            const double y = 213 + 25 * r;
            if (r % 2 == 0) {
                RoundRect(cr, 40, y, 430, 24, 5);
                SetColor(cr, 0x4A8AC0, 0.14);
                cairo_fill(cr);
            }
            if (r < 3) {
                const std::uint32_t medal[3] = {0xFFD040, 0xD8E0E8, 0xD08A40};
                Ellipse(cr, 48, y + 12, 6.5, 6.5);
                FillOutline(cr,
                            Radial(46, y + 10, 0, 8,
                                   {{0, 0xFFFFFF}, {0.4, medal[r]}, {1, Shade(medal[r], 0.6)}}),
                            Shade(medal[r], 0.3), 1);
            }
        }
        Word(cr, kClear, "ОЧИСТИТЬ", lit);
        Word(cr, kView, "В СЕТИ", lit);
        break;
    }
    case Sub::Help: {
        Inset(cr, 42, 184, 426, 296);
        Word(cr, kPrev, "<< ПРЕДЫДУЩАЯ", lit, 17);
        Word(cr, kNext, "ДАЛЕЕ >>", lit, 17);
        break;
    }
    }
}

Picture Screen(const std::function<void(cairo_t*)>& paint) {
    return Opaque("", 800, 600, 0x0A3050, paint);
}

Picture Cut(const Picture& screen, const std::string& name, const Rect& r) {
    Picture p = Crop(screen, name, r.x, r.y, r.w, r.h);
    p.transparent = false;
    return p;
}

} // namespace

std::vector<Picture> MenuPictures() {
    std::vector<Picture> out;
    Picture menu = Screen([](cairo_t* cr) { MenuScreen(cr, false); });
    Picture menuLit = Screen([](cairo_t* cr) { MenuScreen(cr, true); });
    menu.name = "menu";
    out.push_back(menu);
    for (int i = 0; i < 6; ++i) {
        out.push_back(
            Cut(menuLit, "main" + std::to_string(i + 1), {kEntryX, kEntryY[i], kEntryW, kEntryH}));
    }
    auto sub = [](Sub s, bool lit) { return Screen([=](cairo_t* cr) { SubScreen(cr, s, lit); }); };
    const Picture options = sub(Sub::Options, false), optionsLit = sub(Sub::Options, true);
    const Picture scores = sub(Sub::Scores, false), scoresLit = sub(Sub::Scores, true);
    const Picture help = sub(Sub::Help, false), helpLit = sub(Sub::Help, true);
    const Rect panel{kSubX, kSubY, kSubW, kSubH};
    Picture console = DialogWindow("console");
    out.push_back(console);
    out.push_back(Cut(options, "optionsback", panel));
    out.push_back(Cut(optionsLit, "window", kWindow));
    out.push_back(Cut(optionsLit, "full", kFull));
    out.push_back(Cut(optionsLit, "muson", kMusOn));
    out.push_back(Cut(optionsLit, "musoff", kMusOff));
    out.push_back(Cut(optionsLit, "soundon", kSoundOn));
    out.push_back(Cut(optionsLit, "soundoff", kSoundOff));
    out.push_back(Cut(optionsLit, "backactive", kBack));
    out.push_back(Cut(scores, "scoreback", panel));
    out.push_back(Cut(scoresLit, "clearscore", kClear));
    out.push_back(Cut(scoresLit, "viewscore", kView));
    out.push_back(Cut(help, "helpback", panel));
    out.push_back(Cut(helpLit, "prev", kPrev));
    out.push_back(Cut(helpLit, "next", kNext));
    // Two spare slots before the help pages: the title art on its own, and
    // the diver, for whoever wants them (a splash, a loading picture).
    Picture logo = Sprite("logo", 520, 160, [](cairo_t* cr) {
        cairo_translate(cr, -140, 0);
        Title(cr);
    });
    out.push_back(logo);
    out.push_back(Sprite("diver", 226, 92, [](cairo_t* cr) {
        cairo_scale(cr, 2, 2);
        PaintDiver(cr, 0);
    }));
    for (int page = 1; page <= 7; ++page)
        out.push_back(HelpPage(page));
    return out;
}

} // namespace art
