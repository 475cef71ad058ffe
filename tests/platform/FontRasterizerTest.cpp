#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/Platform.h"

namespace platform {
namespace {

// A small back buffer with the bounding box of everything drawn on it.
struct Canvas {
    static constexpr std::uint32_t kBackground = 0x102030;
    int width;
    int height;
    std::vector<std::uint32_t> pixels;

    Canvas(int w, int h)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, kBackground) {}
    PixelView View() { return {pixels.data(), width, height, width}; }

    struct Box {
        int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
        bool Empty() const { return right < 0; }
    };
    Box Ink() const {
        Box b;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (pixels[static_cast<std::size_t>(y) * width + x] != kBackground) {
                    b.left = std::min(b.left, x);
                    b.top = std::min(b.top, y);
                    b.right = std::max(b.right, x + 1);
                    b.bottom = std::max(b.bottom, y + 1);
                }
            }
        }
        return b;
    }
};

class FontRasterizerTest : public ::testing::Test {
protected:
    std::unique_ptr<IFontRasterizer> fonts = CreateFontRasterizer();
};

TEST_F(FontRasterizerTest, SizeIsAnEmHeightAtNinetySixDpi) {
    // The capital H of Liberation Sans (Arial's stand-in) is 1409 of its 2048
    // units per em high, so its ink gives the em height the font was set to.
    for (int points : {16, 38}) {
        Canvas canvas(200, 120);
        TextStyle style;
        style.sizePoints = points;
        fonts->DrawText(canvas.View(), 10, 10, "H", style);
        const auto ink = canvas.Ink();
        ASSERT_FALSE(ink.Empty()) << points;
        const double em = (ink.bottom - ink.top) * 2048.0 / 1409.0;
        EXPECT_NEAR(em, std::lround(points * 96.0 / 72.0), 1.0) << points;
    }
}

TEST_F(FontRasterizerTest, TextHangsBelowAndRightOfItsPoint) {
    Canvas canvas(300, 100);
    TextStyle style;
    style.color = 0xFF0000;
    fonts->DrawText(canvas.View(), 50, 30, "\xC2\xDB\xD5\xCE\xC4", style); // "ВЫХОД"
    const auto ink = canvas.Ink();
    ASSERT_FALSE(ink.Empty());
    EXPECT_GE(ink.left, 50);
    EXPECT_LE(ink.left, 53);
    // The cell's top is the ascent above the baseline: a capital starts a few
    // pixels below it, never above.
    EXPECT_GT(ink.top, 30);
    EXPECT_LE(ink.top, 30 + 8);
    EXPECT_LE(ink.bottom, 30 + fonts->TextHeight("X", style));
    // Solid strokes carry the exact colour; the background shows elsewhere.
    bool pureColour = false;
    for (auto p : canvas.pixels) {
        pureColour = pureColour || p == 0xFF0000;
    }
    EXPECT_TRUE(pureColour);
    EXPECT_EQ(canvas.pixels[0], Canvas::kBackground);
}

TEST_F(FontRasterizerTest, EdgesMixColourAndBackgroundRoundedPerChannel) {
    // White on black gives each pixel's coverage; the same text in a colour
    // over a background must then hold exactly the rounded mix of the two,
    // at any horizontal position (the blend takes pixels in groups).
    const char* text = "\xD1\xD7\xB8\xD2: 0123 Wy";
    for (int x : {3, 4, 6}) {
        Canvas coverage(260, 40);
        std::fill(coverage.pixels.begin(), coverage.pixels.end(), 0u);
        TextStyle style;
        style.sizePoints = 16;
        style.color = 0xFFFFFF;
        fonts->DrawText(coverage.View(), x, 5, text, style);
        for (const auto& [ink, paper] :
             {std::pair{0x99CCFFu, 0x0A2B5Cu}, std::pair{0x000000u, 0xFFFFFFu},
              std::pair{0xFF0080u, 0x00FF7Fu}}) {
            Canvas canvas(260, 40);
            std::fill(canvas.pixels.begin(), canvas.pixels.end(), paper);
            style.color = ink;
            fonts->DrawText(canvas.View(), x, 5, text, style);
            int partial = 0;
            for (std::size_t i = 0; i < canvas.pixels.size(); ++i) {
                const std::uint32_t a = coverage.pixels[i] & 0xFF;
                partial += a > 0 && a < 255 ? 1 : 0;
                std::uint32_t expected = 0;
                for (int shift : {0, 8, 16}) {
                    const std::uint32_t c = (ink >> shift) & 0xFF;
                    const std::uint32_t d = (paper >> shift) & 0xFF;
                    expected |= ((c * a + d * (255 - a) + 127) / 255) << shift;
                }
                ASSERT_EQ(canvas.pixels[i], expected) << "x " << x << ", pixel " << i;
            }
            EXPECT_GT(partial, 50);
        }
    }
}

TEST_F(FontRasterizerTest, WidthGrowsWithTheText) {
    TextStyle style;
    const int one = fonts->TextWidth("W", style);
    const int two = fonts->TextWidth("WW", style);
    const int cyrillic = fonts->TextWidth("\xCF\xC0\xD3\xC7\xC0", style); // "ПАУЗА"
    EXPECT_GT(one, 5);
    EXPECT_GT(two, one);
    EXPECT_GT(cyrillic, two);
    EXPECT_EQ(fonts->TextWidth("", style), 0);
    style.sizePoints = 38;
    EXPECT_GT(fonts->TextWidth("W", style), 2 * one);
    style.sizePoints = 16;
    style.bold = true;
    EXPECT_GT(fonts->TextWidth("rrrr", style), fonts->TextWidth("rrrr", TextStyle{}));
}

TEST_F(FontRasterizerTest, ClipsAtEveryEdge) {
    Canvas canvas(40, 20);
    TextStyle style;
    style.sizePoints = 38;
    for (auto [x, y] : {std::pair{-30, -30}, std::pair{30, 10}, std::pair{-5, 5},
                        std::pair{1000, 0}, std::pair{0, -1000}}) {
        fonts->DrawText(canvas.View(), x, y, "WMW", style);
    }
    EXPECT_FALSE(canvas.Ink().Empty());
}

TEST_F(FontRasterizerTest, UnknownFamilyFallsBackToAFont) {
    // fontconfig always offers some face; a game text must never vanish.
    Canvas canvas(100, 40);
    TextStyle style;
    style.fontName = "No Such Family";
    fonts->DrawText(canvas.View(), 0, 0, "Ab", style);
    EXPECT_FALSE(canvas.Ink().Empty());
}

} // namespace
} // namespace platform
