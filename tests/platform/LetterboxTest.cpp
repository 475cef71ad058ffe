#include <gtest/gtest.h>

#include <string>

#include "platform/Letterbox.h"

namespace platform {
namespace {

TEST(Letterbox, FitsWithTheAspectKept) {
    struct Case {
        int outW, outH;
        Rect expected;
    };
    const Case cases[] = {
        {800, 600, {0, 0, 800, 600}},
        {1024, 768, {0, 0, 1024, 768}},
        {1920, 1080, {240, 0, 1440, 1080}}, // bars left and right
        {1280, 1024, {0, 32, 1280, 960}},   // bars above and below
        {801, 600, {0, 0, 800, 600}},       // odd pixel: picture at the left
        {0, 600, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const Rect r = LetterboxRect(c.outW, c.outH, 800, 600);
        EXPECT_EQ(r.x, c.expected.x) << c.outW << "x" << c.outH;
        EXPECT_EQ(r.y, c.expected.y) << c.outW << "x" << c.outH;
        EXPECT_EQ(r.w, c.expected.w) << c.outW << "x" << c.outH;
        EXPECT_EQ(r.h, c.expected.h) << c.outW << "x" << c.outH;
    }
}

TEST(Letterbox, WholeMultiplesWhereTheyFillNinetyPercent) {
    struct Case {
        int outW, outH;
        Rect box;
        int scale;
    };
    const Case cases[] = {
        {800, 600, {0, 0, 800, 600}, 1},
        {1024, 768, {0, 0, 1024, 768}, 0}, // 78 %
        {1600, 1200, {0, 0, 1600, 1200}, 2},
        {1680, 1260, {40, 30, 1600, 1200}, 2},
        {1920, 1080, {240, 0, 1440, 1080}, 0}, // 1 x fills 56 %: filtered
        {1280, 1024, {0, 32, 1280, 960}, 0},
        {2560, 1440, {320, 0, 1920, 1440}, 0},
        {2560, 1920, {80, 60, 2400, 1800}, 3}, // 94 %
        {3200, 2400, {0, 0, 3200, 2400}, 4},
        {799, 600, {0, 0, 799, 599}, 0},
        {0, 0, {0, 0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        const Placement p = PlacePicture(c.outW, c.outH, 800, 600);
        const std::string at = std::to_string(c.outW) + "x" + std::to_string(c.outH);
        EXPECT_EQ(p.scale, c.scale) << at;
        EXPECT_EQ(p.box.x, c.box.x) << at;
        EXPECT_EQ(p.box.y, c.box.y) << at;
        EXPECT_EQ(p.box.w, c.box.w) << at;
        EXPECT_EQ(p.box.h, c.box.h) << at;
    }
}

TEST(Letterbox, OutputPointsMapBackToThePicture) {
    const Rect box = LetterboxRect(1920, 1080, 800, 600); // 240, 0, 1440 x 1080
    struct Case {
        int outX, outY;
        int x, y;
        bool inside;
    };
    const Case cases[] = {
        {240, 0, 0, 0, true},         {1679, 1079, 799, 599, true},
        {960, 540, 400, 300, true},   {239, 540, 0, 300, false}, // left bar: clamped to the edge
        {1680, 540, 799, 300, false},                            // right bar
        {0, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        int x = -1;
        int y = -1;
        EXPECT_EQ(OutputToPicture(box, 800, 600, c.outX, c.outY, x, y), c.inside)
            << c.outX << "," << c.outY;
        EXPECT_EQ(x, c.x) << c.outX << "," << c.outY;
        EXPECT_EQ(y, c.y) << c.outX << "," << c.outY;
    }
}

TEST(Letterbox, PicturePointsRoundTrip) {
    for (const auto& [w, h] : {std::pair{800, 600}, std::pair{1920, 1080}, std::pair{1366, 768}}) {
        const Rect box = LetterboxRect(w, h, 800, 600);
        for (const auto& [px, py] : {std::pair{0, 0}, std::pair{400, 300}, std::pair{799, 599}}) {
            int ox = 0;
            int oy = 0;
            PictureToOutput(box, 800, 600, px, py, ox, oy);
            int x = -1;
            int y = -1;
            EXPECT_TRUE(OutputToPicture(box, 800, 600, ox, oy, x, y));
            EXPECT_EQ(x, px) << w << "x" << h;
            EXPECT_EQ(y, py) << w << "x" << h;
        }
    }
}

} // namespace
} // namespace platform
