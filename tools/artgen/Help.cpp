// The seven help pages (420 x 290): controls, air, fish, bonuses and
// treasures, relief and levels, pause and boss key, online scores.
#include <cmath>
#include <sstream>

#include "Painters.h"

namespace art {

namespace {

constexpr int kW = 420, kH = 290;
constexpr std::uint32_t kBody = 0xD8ECFF, kKey = 0xFFD860;

// Word-wrapped text; words between '*' are drawn as highlighted keys.
double Paragraph(cairo_t* cr, const std::string& text, double x, double y, double width,
                 double size = 13.5) {
    const Font normal{"Liberation Sans", size, false};
    const Font bold{"Liberation Sans", size, true};
    std::istringstream in(text);
    std::string word;
    double cx = x;
    const double line = size * 1.28;
    const double space = TextWidth(cr, " ", normal);
    bool highlight = false;
    while (in >> word) {
        std::string shown;
        std::vector<std::pair<std::string, bool>> parts;
        std::string current;
        for (char c : word) {
            if (c == '*') {
                if (!current.empty())
                    parts.emplace_back(current, highlight);
                current.clear();
                highlight = !highlight;
            } else {
                current += c;
            }
        }
        if (!current.empty())
            parts.emplace_back(current, highlight);
        double w = 0;
        for (auto& [s, hl] : parts)
            w += TextWidth(cr, s, hl ? bold : normal);
        if (cx > x && cx + w > x + width) {
            cx = x;
            y += line;
        }
        for (auto& [s, hl] : parts) {
            cx += Text(cr, s, cx, y, hl ? bold : normal, hl ? kKey : kBody, 0x04101E, hl ? 2.2 : 0);
        }
        cx += space;
    }
    return y + line;
}

void Heading(cairo_t* cr, const std::string& title, int page) {
    Label(cr, title, kW / 2.0, 6, 20, Align::Center);
    Text(cr, std::to_string(page) + " / 7", kW - 10, 10, Font{"Liberation Sans", 12, true},
         0x7AA8D0, 0, 0, Align::Right);
    cairo_move_to(cr, 20, 33.5);
    cairo_line_to(cr, kW - 20, 33.5);
    SetColor(cr, 0xC89A40, 0.8);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

// A key cap with its label.
double Key(cairo_t* cr, double x, double y, const std::string& label, double minWidth = 22) {
    const Font font{"Liberation Sans", 12, true};
    const double w = std::max(minWidth, TextWidth(cr, label, font) + 12);
    RoundRect(cr, x, y, w, 22, 4);
    FillOutline(cr, Linear(0, y, 0, y + 22, {{0, 0xF4F8FC}, {0.7, 0xB8C8D8}, {1, 0x7A8CA0}}),
                0x1A2634, 1.2);
    Text(cr, label, x + w / 2, y + 4, font, 0x14202E, 0, 0, Align::Center);
    return w;
}

void Background(cairo_t* cr) {
    cairo_rectangle(cr, 0, 0, kW, kH);
    FillPattern(cr, Linear(0, 0, 0, kH, {{0, 0x123A60}, {0.5, 0x0C2A4A}, {1, 0x081C36}}));
    PaintTexture(cr, kW, kH,
                 [](int x, int y) { return (Noise(x / 30.0, y / 30.0, 701) - 0.5) * 0.08; });
}

void Controls(cairo_t* cr) {
    Heading(cr, "УПРАВЛЕНИЕ", 1);
    // Arrow keys cluster.
    Key(cr, 40, 44, "\u2191");
    Key(cr, 16, 68, "\u2190");
    Key(cr, 40, 68, "\u2193");
    Key(cr, 64, 68, "\u2192");
    Paragraph(cr,
              "Стрелки, *W A S D* или *8 4 6 2* на цифровой клавиатуре - плыть. Водолаз всплывает "
              "сам, если его не "
              "держать.",
              100, 46, 310);
    Key(cr, 16, 104, "Ctrl");
    Key(cr, 54, 104, "Пробел", 60);
    Paragraph(cr, "- стрелять из подводного ружья.", 122, 106, 290);
    Key(cr, 16, 134, "Shift");
    Key(cr, 62, 134, "Enter", 46);
    Paragraph(cr, "- бросить сеть (только пока действует бонус сети).", 114, 136, 300);
    // Mouse.
    RoundRect(cr, 24, 170, 26, 38, 12);
    FillOutline(cr, Linear(0, 170, 0, 208, {{0, 0xF4F8FC}, {1, 0x8A9CB0}}), 0x1A2634, 1.2);
    cairo_move_to(cr, 37, 171);
    cairo_line_to(cr, 37, 186);
    cairo_move_to(cr, 25, 186);
    cairo_line_to(cr, 49, 186);
    SetColor(cr, 0x1A2634);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    Paragraph(
        cr,
        "*Мышь:* водолаз плывёт туда, куда её двигают; *левая кнопка* - ружьё, *правая* - сеть.",
        66, 172, 344);
    // Joystick.
    RoundRect(cr, 18, 236, 38, 14, 5);
    FillOutline(cr, Linear(0, 236, 0, 250, {{0, 0x6A7A8A}, {1, 0x2A3440}}), 0x0A1018, 1.2);
    cairo_move_to(cr, 37, 236);
    cairo_line_to(cr, 33, 220);
    SetColor(cr, 0x2A3440);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    Ellipse(cr, 33, 219, 5, 5);
    FillOutline(cr, Radial(31, 217, 0, 6, {{0, 0xFF8A7A}, {1, 0xC01818}}), 0x3A0404, 1);
    Paragraph(cr, "*Джойстик:* ручка - плыть, *кнопка 1* - ружьё, *кнопка 2* - сеть.", 66, 226,
              344);
}

void Air(cairo_t* cr) {
    Heading(cr, "ВОЗДУХ", 2);
    // A strip of the air gauge, half full.
    Inset(cr, 20, 46, 140, 22);
    cairo_rectangle(cr, 24, 50, 70, 14);
    FillPattern(cr, Linear(24, 0, 164, 0,
                           {{0, 0xE82818}, {0.4, 0xF8A020}, {0.7, 0xE8E040}, {1, 0x30B8F8}}));
    Paragraph(cr, "Шкала *ВОЗДУХ* наверху всё время убывает. Кончится воздух - водолаз погибнет.",
              172, 44, 238);
    Place(cr, 24, 108, 1.0, [](cairo_t* c) { PaintCapsule(c, 0); });
    Place(cr, 24, 108, 1.0, [](cairo_t* c) { PaintIcon(c, "oxy"); });
    Paragraph(cr,
              "Капсула с *баллоном* добавляет треть запаса воздуха. Капсулы висят на поплавках: "
              "подплывите и "
              "коснитесь.",
              80, 106, 330);
    Place(cr, 30, 180, 1.0, [](cairo_t* c) { PaintBubble(c, 4); });
    Place(cr, 46, 168, 1.0, [](cairo_t* c) { PaintBubble(c, 3); });
    Place(cr, 36, 158, 1.0, [](cairo_t* c) { PaintBubble(c, 2); });
    Paragraph(cr,
              "На каждом новом уровне баллон наполняется, а до седьмого уровня ещё и становится "
              "больше. Всплыть "
              "за воздухом нельзя!",
              80, 168, 330);
    Paragraph(cr, "Если водолаз задохнулся, следующая жизнь начнётся с третью баллона.", 80, 232,
              330);
}

void FishPage(cairo_t* cr) {
    Heading(cr, "РЫБЫ", 3);
    static const int kPoints[14] = {0, 10, 10, 10, 10, 5, 5, 20, 20, 20, 30, 50, 50, 100};
    static const int kHits[14] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 3, 3, 5};
    // Five columns, three rows; the shark gets a double cell.
    const double cw = 80, ch = 68, top = 40;
    for (int kind = 1; kind <= 13; ++kind) {
        const int cell = kind - 1;
        const int col = cell % 5, row = cell / 5;
        const double cellW = kind == 13 ? cw * 2 : cw;
        const double x = 10 + col * cw, y = top + row * ch;
        RoundRect(cr, x + 2, y + 2, cellW - 4, ch - 5, 6);
        SetColor(cr, 0x3A7AB0, 0.18);
        cairo_fill(cr);
        const Size s = FishSize(kind);
        const double scale = std::min({1.0, (cellW - 12) / s.width, 32.0 / s.height});
        Place(cr, x + (cellW - s.width * scale) / 2, y + 5 + (32 - s.height * scale) / 2, scale,
              [kind](cairo_t* c) { PaintFish(c, kind, 1); });
        Text(cr, std::to_string(kPoints[kind]), x + cellW / 2, y + 37,
             Font{"Liberation Sans", 14, true}, Linear(0, 0, 0, 14, {{0, 0xFFF4B0}, {1, 0xF0B030}}),
             0x2A1A04, 2.2, Align::Center);
        // One dot per hit it takes.
        for (int h = 0; h < kHits[kind]; ++h) {
            Ellipse(cr, x + cellW / 2 - (kHits[kind] - 1) * 3.5 + h * 7, y + 58, 2.4, 2.4);
            FillOutline(cr, 0xFF6A50, 0x3A0A04, 0.8);
        }
    }
    Paragraph(cr,
              "Число - очки за рыбу, точки - сколько выстрелов ей нужно. Сеть берёт любую рыбу "
              "сразу. Коснуться "
              "рыбы - гибель!",
              14, 248, 392, 12);
}

void Bonuses(cairo_t* cr) {
    Heading(cr, "БОНУСЫ И СОКРОВИЩА", 4);
    struct Row {
        const char* icon;
        const char* text;
    };
    const Row rows[] = {
        {"20", "*10, 20, 50* очков"},
        {"supergun", "*Скорострел:* ружьё бьёт вдвое чаще, 15 секунд"},
        {"net", "*Сеть:* 15 секунд можно бросать сеть"},
        {"engine", "*Мотор:* 15 секунд плывём вдвое быстрее"},
        {"oxy", "*Баллон:* треть запаса воздуха"},
        {"bonuslife", "*Жизнь:* ещё одна жизнь (не больше пяти)"},
    };
    for (int i = 0; i < 6; ++i) {
        const double y = 38 + i * 34;
        Place(cr, 8, y - 4, 0.8, [&](cairo_t* c) { PaintIcon(c, rows[i].icon); });
        Paragraph(cr, rows[i].text, 46, y + 6, 190, 12.5);
    }
    // Treasures.
    cairo_move_to(cr, 246.5, 44);
    cairo_line_to(cr, 246.5, 270);
    SetColor(cr, 0xC89A40, 0.6);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    Place(cr, 258, 44, 1.0, [](cairo_t* c) { PaintTreasure(c, 2); });
    Place(cr, 290, 58, 1.0, [](cairo_t* c) { PaintTreasure(c, 3); });
    Place(cr, 334, 52, 1.0, [](cairo_t* c) { PaintTreasure(c, 5); });
    Place(cr, 374, 50, 1.0, [](cairo_t* c) { PaintTreasure(c, 6); });
    Paragraph(cr, "Сокровища лежат на дне: по *30* очков.", 258, 92, 150, 12.5);
    Place(cr, 300, 140, 1.0, [](cairo_t* c) { PaintTreasure(c, 8); });
    Paragraph(cr, "Сундук с золотом - *50* очков.", 258, 192, 150, 12.5);
    Paragraph(cr, "Бонусы висят на поплавках и плывут чуть быстрее дна.", 258, 230, 150, 12.5);
}

void Relief(cairo_t* cr) {
    Heading(cr, "СКАЛЫ И УРОВНИ", 5);
    // A small view: rock hanging from the surface, the diver ducking under it.
    cairo_save(cr);
    RoundRect(cr, 16, 42, 170, 120, 6);
    cairo_clip(cr);
    cairo_translate(cr, 16, 42);
    PaintSea(cr, 170, 120, 8, 55);
    cairo_new_path(cr);
    cairo_move_to(cr, 40, 0);
    cairo_curve_to(cr, 60, 40, 80, 70, 100, 66);
    cairo_curve_to(cr, 120, 62, 130, 30, 150, 0);
    cairo_close_path(cr);
    FillOutline(cr, Linear(0, 0, 0, 70, {{0, 0x5A6270}, {1, 0x262A36}}), 0x0E1218, 2);
    Place(cr, 30, 80, 0.6, [](cairo_t* c) { PaintDiver(c, 2); });
    cairo_new_path(cr);
    cairo_move_to(cr, 58, 92);
    cairo_curve_to(cr, 80, 100, 110, 100, 130, 84);
    SetColor(cr, 0xFFD860);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_move_to(cr, 131, 78);
    cairo_line_to(cr, 134, 88);
    cairo_line_to(cr, 124, 86);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
    RoundRect(cr, 16, 42, 170, 120, 6);
    SetColor(cr, 0xC89A40);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    Paragraph(cr,
              "Сверху свисают скалы. Проплывайте под ними: если скала прижмёт водолаза к левому "
              "краю экрана, он "
              "погибнет.",
              198, 42, 212);
    Paragraph(cr,
              "Когда скалы уровня кончатся, водолаз сам всплывёт, и начнётся следующий уровень: он "
              "длиннее, рыбы "
              "приплывают чаще и появляются новые, более опасные.",
              20, 172, 390);
    Paragraph(cr, "Водоросли, пузыри и дно не мешают плавать.", 20, 244, 390);
}

void PauseBoss(cairo_t* cr) {
    Heading(cr, "ПАУЗА И КЛАВИША ШЕФА", 6);
    Key(cr, 20, 48, "P");
    Paragraph(cr, "- пауза. Нажмите *P* ещё раз, чтобы продолжить.", 52, 50, 360);
    Key(cr, 20, 86, "F12");
    Paragraph(cr,
              "- клавиша шефа: игра мгновенно сворачивается, а идущая игра встаёт на паузу. "
              "Клавишу можно сменить в "
              "*НАСТРОЙКАХ*.",
              62, 88, 350);
    Key(cr, 20, 150, "Esc");
    Paragraph(cr, "- выйти из игры (будет задан вопрос).", 62, 152, 350);
    Key(cr, 20, 188, "Alt");
    Key(cr, 50, 188, "Enter", 46);
    Paragraph(cr, "- окно или полный экран.", 104, 190, 300);
    Paragraph(cr, "Если переключиться в другую программу, игра тоже встанет на паузу.", 20, 230,
              390);
}

void Online(cairo_t* cr) {
    Heading(cr, "РЕКОРДЫ В СЕТИ", 7);
    // A globe.
    Ellipse(cr, 52, 84, 34, 34);
    FillOutline(cr, Radial(44, 74, 2, 40, {{0, 0x9AE0FF}, {0.6, 0x2A8AD0}, {1, 0x0C3A78}}),
                0x04142A, 1.5);
    cairo_save(cr);
    Ellipse(cr, 52, 84, 34, 34);
    cairo_clip(cr);
    SetColor(cr, 0x3AB04A);
    Ellipse(cr, 40, 72, 14, 10);
    cairo_fill(cr);
    Ellipse(cr, 66, 96, 12, 14);
    cairo_fill(cr);
    SetColor(cr, 0xE8FCFF, 0.6);
    cairo_set_line_width(cr, 1);
    for (int i = -2; i <= 2; ++i) {
        Ellipse(cr, 52, 84, 34 * std::cos(i * 0.55), 34);
        cairo_stroke(cr);
        cairo_move_to(cr, 18, 84 + i * 13);
        cairo_line_to(cr, 86, 84 + i * 13);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    Paragraph(cr,
              "Если ваш результат попал в десятку лучших, игра попросит ввести *имя* и *страну* и "
              "запишет его в "
              "таблицу *РЕКОРДЫ*.",
              100, 46, 310);
    Paragraph(cr,
              "Потом результат можно отправить в мировую таблицу рекордов в Интернете. Нужно "
              "подключение к сети.",
              100, 120, 310);
    Paragraph(cr,
              "Кнопка *В СЕТИ* на экране рекордов открывает мировую таблицу в браузере. Страну "
              "можно заранее "
              "указать в *НАСТРОЙКАХ*.",
              20, 190, 390);
}

} // namespace

Picture HelpPage(int page) {
    Picture p = Opaque("help" + std::to_string(page), kW, kH, 0x0C2A4A, [page](cairo_t* cr) {
        Background(cr);
        switch (page) {
        case 1:
            Controls(cr);
            break;
        case 2:
            Air(cr);
            break;
        case 3:
            FishPage(cr);
            break;
        case 4:
            Bonuses(cr);
            break;
        case 5:
            Relief(cr);
            break;
        case 6:
            PauseBoss(cr);
            break;
        case 7:
            Online(cr);
            break;
        default:
            break;
        }
    });
    return p;
}

} // namespace art
