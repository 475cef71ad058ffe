// The two image archives the build draws: every picture the game and the
// menus ask for is there, at its position, with the pattern count and the
// size its place on the screen allows; pieces that must join do join.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Archives.h"
#include "Painters.h"
#include "engine/ImageList.h"

namespace {

const std::string kMenuPath = std::string(BRINEHOLD_GAME_DIR) + "/data/menu.dxg";
const std::string kGamePath = std::string(BRINEHOLD_GAME_DIR) + "/data/gamegraphic.dxg";

struct Loaded {
    TPictureCollection pictures;
    explicit Loaded(const std::string& path) { pictures.LoadFromFile(path); }
    TPictureCollectionItem& operator[](const std::string& name) { return *pictures.Find(name); }
};

// The picture of an item as 0x00RRGGBB, top row first.
std::vector<std::uint32_t> Pixels(TPictureCollectionItem& item) {
    const int w = item.Picture.Width(), h = item.Picture.Height();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h, 0xFFFFFFFF);
    item.Picture.CopyBlock(0, 0, w, h, platform::PixelView{pixels.data(), w, h, w});
    return pixels;
}

int Patterns(TPictureCollectionItem& item) {
    return (item.Picture.Width() / item.Width()) * (item.Picture.Height() / item.Height());
}

struct Box {
    const char* name;
    int x, y;
};

bool Overlap(const Box& a, TPictureCollectionItem& ia, const Box& b, TPictureCollectionItem& ib) {
    return a.x < b.x + ib.Width() && b.x < a.x + ia.Width() && a.y < b.y + ib.Height() &&
           b.y < a.y + ia.Height();
}

TEST(MenuArchive, PositionsAndNames) {
    Loaded menu(kMenuPath);
    ASSERT_GE(menu.pictures.Count(), 31);
    EXPECT_EQ(menu.pictures.Items(0)->Width(), 800);
    EXPECT_EQ(menu.pictures.Items(0)->Height(), 600);
    // The highlighted entries stack at 44-pixel steps from y 177 and reach right.
    for (int i = 1; i <= 6; ++i) {
        auto* entry = menu.pictures.Items(i);
        EXPECT_LE(entry->Height(), 44) << i;
        EXPECT_GE(entry->Height(), 24) << i;
        EXPECT_LE(489 + entry->Width(), 800) << i;
        EXPECT_GE(entry->Width(), 200) << i;
    }
    for (int i = 24; i <= 30; ++i) {
        auto* page = menu.pictures.Items(i);
        EXPECT_NEAR(page->Width(), 420, 10) << i;
        EXPECT_NEAR(page->Height(), 290, 10) << i;
    }
    for (const char* name :
         {"console", "optionsback", "window", "full", "muson", "musoff", "soundon", "soundoff",
          "backactive", "scoreback", "clearscore", "viewscore", "helpback", "prev", "next"}) {
        const int index = menu.pictures.IndexOf(name);
        EXPECT_GE(index, 7) << name;
        EXPECT_LE(index, 23) << name;
    }
    for (const char* name : {"optionsback", "scoreback", "helpback"}) {
        // Opened at (31, 175), left of the main entries at x 489, above the bottom.
        EXPECT_LE(31 + menu[name].Width(), 489) << name;
        EXPECT_LE(175 + menu[name].Height(), 600) << name;
        EXPECT_GE(menu[name].Width(), 420) << name;
    }
}

TEST(MenuArchive, DialogHoldsEveryDialogText) {
    Loaded menu(kMenuPath);
    // At (188, 160): title at (200, 165), answers at y 350, centred texts on x 400.
    auto& console = menu["console"];
    EXPECT_GE(188 + console.Width(), 445);
    EXPECT_GE(160 + console.Height(), 372);
    EXPECT_NEAR(188 + console.Width() / 2.0, 400, 2);
    Loaded game(kGamePath);
    EXPECT_EQ(game.pictures.Items(1)->Width(), console.Width());
    EXPECT_EQ(game.pictures.Items(1)->Height(), console.Height());
}

TEST(MenuArchive, ItemPicturesFitTheirItemsAndDoNotOverlap) {
    Loaded menu(kMenuPath);
    // Switch words lie inside the item rectangle of their option row.
    struct Case {
        Box box;
        int left, top, right, bottom; // the option's item rectangle, edges inclusive
    };
    const Case switches[] = {
        {{"window", 176, 215}, 174, 210, 474, 250},  {{"full", 305, 215}, 174, 210, 474, 250},
        {{"muson", 155, 264}, 148, 258, 278, 298},   {{"musoff", 213, 264}, 148, 258, 278, 298},
        {{"soundon", 164, 311}, 156, 306, 286, 346}, {{"soundoff", 221, 311}, 156, 306, 286, 346},
    };
    for (const Case& c : switches) {
        auto& item = menu[c.box.name];
        EXPECT_GE(c.box.x, c.left) << c.box.name;
        EXPECT_GE(c.box.y, c.top) << c.box.name;
        EXPECT_LE(c.box.x + item.Width(), c.right + 1) << c.box.name;
        EXPECT_LE(c.box.y + item.Height(), c.bottom + 1) << c.box.name;
    }
    const std::vector<std::vector<Box>> screens = {
        {{"window", 176, 215}, {"full", 305, 215}},
        {{"muson", 155, 264}, {"musoff", 213, 264}},
        {{"soundon", 164, 311}, {"soundoff", 221, 311}},
        {{"clearscore", 31, 490}, {"viewscore", 211, 490}, {"backactive", 318, 504}},
        {{"prev", 31, 489}, {"next", 390, 489}, {"backactive", 318, 504}},
    };
    for (const auto& boxes : screens) {
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            for (std::size_t j = i + 1; j < boxes.size(); ++j) {
                EXPECT_FALSE(Overlap(boxes[i], menu[boxes[i].name], boxes[j], menu[boxes[j].name]))
                    << boxes[i].name << " / " << boxes[j].name;
            }
        }
    }
    for (int i = 1; i < 6; ++i)
        EXPECT_LE(177 + 44 * (i - 1) + menu.pictures.Items(i)->Height(), 177 + 44 * i);
    // The back item and the buttons stay on the sub-screen (it ends at y 555).
    for (const char* name : {"backactive", "clearscore", "viewscore", "prev", "next"}) {
        EXPECT_LE(489 + menu[name].Height(), 555) << name;
    }
}

TEST(MenuArchive, HighlightsAreLitCopiesOfTheirPlace) {
    Loaded menu(kMenuPath);
    // Each highlight differs from the background under it (it is lit) but has
    // the same frame there, so showing it never leaves a seam.
    const auto background = Pixels(*menu.pictures.Items(0));
    for (int i = 1; i <= 6; ++i) {
        auto& entry = *menu.pictures.Items(i);
        const auto lit = Pixels(entry);
        const int y0 = 177 + 44 * (i - 1);
        int differing = 0;
        for (int y = 0; y < entry.Height(); ++y) {
            for (int x = 0; x < entry.Width(); ++x) {
                differing += lit[y * entry.Width() + x] != background[(y0 + y) * 800 + 489 + x];
            }
        }
        EXPECT_GT(differing, entry.Width() * entry.Height() / 4) << i;
    }
}

TEST(GameArchive, SpritesHavePatternsAndSizesTheirPlacesAllow) {
    Loaded game(kGamePath);
    struct Case {
        const char* name;
        int patterns;
        int maxWidth, maxHeight; // 0: no limit
    };
    const Case cases[] = {
        {"back", 1, 0, 0},        {"statusbar", 1, 800, 114},
        {"life", 1, 24, 24},      {"supergun", 1, 38, 0},
        {"net", 1, 38, 0},        {"engine", 1, 38, 0},
        {"oxy", 1, 38, 0},        {"bonuslife", 1, 38, 0},
        {"10", 1, 38, 0},         {"20", 1, 38, 0},
        {"50", 1, 38, 0},         {"bonus", 4, 0, 0},
        {"float", 1, 0, 36},      {"line", 1, 4, 1},
        {"hero", 4, 120, 60},     {"handengine", 1, 0, 0},
        {"heroweapon1", 1, 0, 0}, {"tail", 2, 72, 0},
        {"netweapon", 4, 0, 0},   {"enemy7", 3, 0, 30},
        {"killfish", 1, 0, 0},    {"fishkilledhero", 1, 0, 0},
        {"dienoair", 1, 0, 0},    {"algae1", 3, 0, 80},
        {"algae2", 1, 0, 53},     {"algae3", 4, 0, 104},
        {"bubble1", 1, 16, 16},   {"bubble4", 1, 16, 16},
    };
    for (const Case& c : cases) {
        auto& item = game[c.name];
        EXPECT_EQ(Patterns(item), c.patterns) << c.name;
        if (c.maxWidth) {
            EXPECT_LE(item.Width(), c.maxWidth) << c.name;
        }
        if (c.maxHeight) {
            EXPECT_LE(item.Height(), c.maxHeight) << c.name;
        }
    }
    EXPECT_EQ(game["statusbar"].Width(), 800);
    EXPECT_GE(game["statusbar"].Height(), 84); // reaches the surface band where the floats hang
    EXPECT_NEAR(game["hero"].Width(), 113, 3);
    EXPECT_EQ(game["tail"].Width(), 72);
    // The net, thrown from the hero's y - 72, covers him from head to flippers.
    EXPECT_GE(game["netweapon"].Height(), 72 + game["hero"].Height());
    // The float hangs at y 88 and the line starts at y 124.
    EXPECT_EQ(88 + game["float"].Height(), 124);
    // The capsule hangs by its middle: the line is drawn at its x + 25.
    EXPECT_NEAR(game["bonus"].Width(), 50, 8);
    // The gauge: one pattern per column, at least 201 of them.
    EXPECT_EQ(game["scale"].Width(), 1);
    EXPECT_GE(Patterns(game["scale"]), 201);

    int previous = 0;
    for (int kind = 1; kind <= 13; ++kind) {
        auto& fish = game["enemy" + std::to_string(kind)];
        EXPECT_EQ(Patterns(fish), 3) << kind;
        const int area = fish.Width() * fish.Height();
        if (kind == 13) {
            EXPECT_GT(area, previous) << "the shark is the biggest";
        }
        previous = std::max(previous, area);
    }
    for (int kind = 1; kind <= 7; ++kind) {
        EXPECT_LE(557 + game["treasure" + std::to_string(kind)].Height(), 600) << kind;
    }
    EXPECT_LE(550 + game["treasure8"].Height(), 600);
}

TEST(GameArchive, SpritesUseTheKeyAndNoOpaqueBlack) {
    Loaded game(kGamePath);
    for (int i = 0; i < game.pictures.Count(); ++i) {
        auto& item = *game.pictures.Items(i);
        const auto pixels = Pixels(item);
        const auto keyed = std::count(pixels.begin(), pixels.end(), 0u);
        if (item.Transparent && item.Name() != "line" && item.Name() != "scale" &&
            item.Name() != "statusbar") {
            EXPECT_GT(keyed, 0) << item.Name() << " is a sprite: its outside is the key colour";
        }
        EXPECT_LT(keyed, static_cast<long>(pixels.size())) << item.Name() << " shows something";
        if (!item.Transparent) {
            EXPECT_EQ(keyed, 0) << item.Name();
        }
    }
}

// The row of the first opaque pixel of a column, from the top or the bottom.
int Edge(const std::vector<std::uint32_t>& pixels, int width, int height, int x, bool fromTop) {
    for (int i = 0; i < height; ++i) {
        const int y = fromTop ? i : height - 1 - i;
        if (pixels[y * width + x] != 0)
            return y;
    }
    return -1;
}

TEST(GameArchive, ReliefPiecesJoinSeamlessly) {
    Loaded game(kGamePath);
    // Upper pieces hang from y 114; the lowest point of their edge, y 114 +
    // height, lies between 150 and 330 or so, so the diver must dive.
    const std::vector<std::vector<std::string>> groups = {
        {"uprelief1"},
        {"uprelief2"},
        {"uprelief3"},
        {"uprelief4-1", "uprelief4-2", "uprelief4-3", "uprelief4-4", "uprelief4-5", "uprelief4-6"},
        {"uprelief5-1", "uprelief5-2", "uprelief5-3", "uprelief5-4"}};
    int deepest = 0;
    int shallowest = 600;
    std::vector<int> groupEnds;
    for (const auto& group : groups) {
        for (std::size_t i = 0; i < group.size(); ++i) {
            auto& piece = game[group[i]];
            const auto pixels = Pixels(piece);
            const int w = piece.Width(), h = piece.Height();
            deepest = std::max(deepest, 114 + h);
            shallowest = std::min(shallowest, 114 + h);
            EXPECT_EQ(Edge(pixels, w, h, 0, true), 0) << group[i] << " hangs from the surface line";
            if (i + 1 < group.size()) {
                auto& next = game[group[i + 1]];
                const auto nextPixels = Pixels(next);
                EXPECT_NEAR(Edge(pixels, w, h, w - 1, false),
                            Edge(nextPixels, next.Width(), next.Height(), 0, false), 2)
                    << group[i] << " / " << group[i + 1];
            }
        }
        // Where one group meets the next, both edges are equally deep.
        auto& first = game[group.front()];
        auto& last = game[group.back()];
        if (group.front() != "uprelief1") {
            groupEnds.push_back(Edge(Pixels(first), first.Width(), first.Height(), 0, false));
        }
        if (group.back() != "uprelief2") {
            groupEnds.push_back(
                Edge(Pixels(last), last.Width(), last.Height(), last.Width() - 1, false));
        }
    }
    EXPECT_LE(shallowest, 200);
    EXPECT_GE(deepest, 300);
    EXPECT_LE(deepest, 340);
    for (int end : groupEnds)
        EXPECT_NEAR(end, groupEnds.front(), 2);

    // Floor pieces: from y 473 to the bottom, at least 100 wide, the sand at
    // the same height at both ends of every piece, so any order joins.
    std::vector<int> sand;
    for (int k = 1; k <= 4; ++k) {
        auto& piece = game["downrelief" + std::to_string(k)];
        EXPECT_GE(piece.Width(), 100) << k;
        EXPECT_EQ(473 + piece.Height(), 600) << k;
        const auto pixels = Pixels(piece);
        sand.push_back(Edge(pixels, piece.Width(), piece.Height(), 0, true));
        sand.push_back(Edge(pixels, piece.Width(), piece.Height(), piece.Width() - 1, true));
    }
    for (int top : sand)
        EXPECT_NEAR(top, sand.front(), 1);
}

TEST(Archives, BuildOutputIsTheSameOnEveryRun) {
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(bytes(kMenuPath), ImageArchiveBytes(art::ToSpecs(art::MenuPictures())));
    EXPECT_EQ(bytes(kGamePath), ImageArchiveBytes(art::ToSpecs(art::GamePictures())));
}

} // namespace
