#include "engine/Surface.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Fakes.h"

namespace {

constexpr std::uint32_t kKey = 0x00FF00FF;

// A source whose pixels tell their coordinates, with some key pixels on a
// diagonal pattern so keyed runs start and stop everywhere.
void FillSource(TDirectDrawSurface& source, bool withKeys) {
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < source.Width(); ++x) {
            const bool key = withKeys && ((x + 2 * y) % 5 == 0 || (x * y) % 7 == 3);
            source.SetPixel(x, y, key ? kKey : CoordinatePixel(x, y));
        }
    }
    source.SetTransparentColor(kKey);
}

// What a draw must do, pixel by pixel: every source pixel inside both the
// source rectangle and the source surface lands at its place if that is on
// the destination, unless keyed out.
void ReferenceDraw(TDirectDrawSurface& dest, int x, int y, const TRect& srcRect,
                   const TDirectDrawSurface& source, bool transparent) {
    for (int sy = srcRect.Top; sy < srcRect.Bottom; ++sy) {
        for (int sx = srcRect.Left; sx < srcRect.Right; ++sx) {
            if (sx < 0 || sy < 0 || sx >= source.Width() || sy >= source.Height()) {
                continue;
            }
            const std::uint32_t pixel = source.Pixel(sx, sy);
            if (transparent && pixel == source.TransparentColor()) {
                continue;
            }
            dest.SetPixel(x + sx - srcRect.Left, y + sy - srcRect.Top, pixel);
        }
    }
}

bool SamePixels(const TDirectDrawSurface& a, const TDirectDrawSurface& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Pixels(), a.Pixels() + a.Width() * a.Height(), b.Pixels());
}

struct DrawCase {
    int x;
    int y;
    TRect src;
};

TEST(SurfaceDraw, ClipsLikeThePixelByPixelReference) {
    TDirectDrawSurface source(40, 30);
    const DrawCase cases[] = {
        {0, 0, {0, 0, 40, 30}},     {-10, 0, {0, 0, 40, 30}},     {790, 0, {0, 0, 40, 30}},
        {799, 599, {0, 0, 40, 30}}, {800, 0, {0, 0, 40, 30}},     {801, 0, {0, 0, 40, 30}},
        {0, 600, {0, 0, 40, 30}},   {-40, 0, {0, 0, 40, 30}},     {-39, -29, {0, 0, 40, 30}},
        {10, 10, {5, 5, 15, 25}},   {10, 10, {-5, -5, 10, 10}},   {10, 10, {30, 20, 50, 40}},
        {-3, -3, {-5, -5, 60, 60}}, {785, 590, {20, 10, 45, 35}}, {10, 10, {10, 10, 10, 20}},
    };
    for (bool keyed : {false, true}) {
        FillSource(source, keyed);
        for (const DrawCase& c : cases) {
            SCOPED_TRACE("x " + std::to_string(c.x) + " y " + std::to_string(c.y) + " keyed " +
                         std::to_string(keyed));
            TDirectDrawSurface actual(800, 600);
            TDirectDrawSurface expected(800, 600);
            actual.Fill(0x123456);
            expected.Fill(0x123456);
            actual.Draw(c.x, c.y, c.src, &source, keyed);
            ReferenceDraw(expected, c.x, c.y, c.src, source, keyed);
            EXPECT_TRUE(SamePixels(actual, expected));
        }
    }
}

TEST(SurfaceDraw, LeftEdgeLosesExactlyTheColumnsOutside) {
    TDirectDrawSurface source(32, 4);
    FillSource(source, false);
    TDirectDrawSurface dest(800, 600);
    dest.Draw(-10, 0, source.ClientRect(), &source, true);
    EXPECT_EQ(dest.Pixel(0, 0), CoordinatePixel(10, 0));
    EXPECT_EQ(dest.Pixel(21, 3), CoordinatePixel(31, 3));
    EXPECT_EQ(dest.Pixel(22, 0), 0u);
}

TEST(SurfaceDraw, RandomKeyedDrawsMatchTheReference) {
    std::mt19937 random(7);
    TDirectDrawSurface source(37, 23);
    FillSource(source, true);
    TDirectDrawSurface actual(120, 90);
    TDirectDrawSurface expected(120, 90);
    for (int i = 0; i < 300; ++i) {
        const int x = static_cast<int>(random() % 180) - 50;
        const int y = static_cast<int>(random() % 140) - 40;
        const int left = static_cast<int>(random() % 50) - 5;
        const int top = static_cast<int>(random() % 30) - 5;
        const TRect src{left, top, left + static_cast<int>(random() % 45),
                        top + static_cast<int>(random() % 30)};
        actual.Draw(x, y, src, &source, true);
        ReferenceDraw(expected, x, y, src, source, true);
    }
    EXPECT_TRUE(SamePixels(actual, expected));
}

TEST(SurfaceDraw, DeferredFillReadsAsDoneWhateverIsDrawnOverIt) {
    // Opaque pictures cover rows of a pending fill; keyed ones leave holes
    // that must show the fill. The reference fills at once.
    std::mt19937 random(11);
    TDirectDrawSurface opaque(50, 20);
    FillSource(opaque, false);
    TDirectDrawSurface keyed(30, 25);
    FillSource(keyed, true);
    TDirectDrawSurface actual(120, 90);
    TDirectDrawSurface expected(120, 90);
    for (int frame = 0; frame < 40; ++frame) {
        const std::uint32_t colour = frame % 3 == 0 ? 0 : 0x010101u * static_cast<unsigned>(frame);
        actual.Fill(colour);
        expected.Fill(colour);
        expected.Pixels(); // the reference: filled before anything is drawn
        for (int i = 0; i < frame % 7; ++i) {
            const TDirectDrawSurface& source = random() % 2 == 0 ? opaque : keyed;
            const bool transparent = random() % 3 != 0;
            const int x = static_cast<int>(random() % 160) - 40;
            const int y = static_cast<int>(random() % 120) - 30;
            const int left = static_cast<int>(random() % 10);
            const TRect src{left, 0, left + static_cast<int>(random() % 50), source.Height()};
            actual.Draw(x, y, src, &source, transparent);
            ReferenceDraw(expected, x, y, src, source, transparent);
        }
        // Rows covered edge to edge by opaque draws, left to right.
        for (int x = -20; x < 120; x += 50) {
            actual.Draw(x, 30, opaque.ClientRect(), &opaque, false);
            ReferenceDraw(expected, x, 30, opaque.ClientRect(), opaque, false);
        }
        ASSERT_TRUE(SamePixels(actual, expected)) << "frame " << frame;
    }
}

// Frame after frame over a still background, a surface keeps what it can of
// the frame before; the reference is drawn in full every time. What happens
// to the background now and then must never leave a stale pixel.
TEST(SurfaceDraw, KeptFramesMatchFramesDrawnInFull) {
    enum Event {
        kSame,           // nothing special: the frame can be kept
        kShifted,        // the background moves
        kTileMissing,    // one tile less: the base no longer covers everything
        kExtraTile,      // one more base draw than before
        kBackChanged,    // the background picture changes between frames
        kBackChangedMid, // ... or in the middle of the base
        kChipGone,       // a picture drawn in the base goes away in the middle of it
        kReadMid,        // the surface is read in the middle of the base
        kWholeWrite,     // writable access to all pixels after the base
    };
    const Event schedule[] = {
        kSame, kSame, kShifted,     kSame, kSame, kTileMissing,    kSame, kSame, kExtraTile,
        kSame, kSame, kBackChanged, kSame, kSame, kBackChangedMid, kSame, kSame, kChipGone,
        kSame, kSame, kReadMid,     kSame, kSame, kWholeWrite,     kSame, kSame, kSame};
    std::mt19937 random(5);
    TDirectDrawSurface back(50, 20);
    FillSource(back, false);
    TDirectDrawSurface sprite(12, 9);
    FillSource(sprite, true);
    auto chip = std::make_unique<TDirectDrawSurface>(10, 10);
    FillSource(*chip, false);
    TDirectDrawSurface actual(120, 90);
    TDirectDrawSurface expected(120, 90);
    const auto both = [&](auto&& draw) {
        draw(actual);
        draw(expected);
    };
    int kept = 0;
    int ox = 0;
    for (int frame = 0; frame < 3; ++frame) {
        for (const Event event : schedule) {
            if (event == kBackChanged) {
                back.SetPixel(7, 7, 0x00ABCDEFu + static_cast<unsigned>(frame));
            }
            actual.Fill(0x123456);
            expected.Fill(0x123456);
            expected.Pixels(); // never kept: filled before anything is drawn
            kept += actual.KeptLastFrame() ? 1 : 0;
            ox = event == kShifted ? ox + 3 : ox;
            // A small picture first, then the tiles over everything.
            both([&](TDirectDrawSurface& s) {
                s.Draw(60, 40, chip->ClientRect(), chip.get(), true);
            });
            int tiles = 0;
            for (int y = -5; y < 90; y += 20) {
                for (int x = ox % 50 - 50; x < 120; x += 50, ++tiles) {
                    if (event == kChipGone && tiles == 3) {
                        chip.reset(); // then the base goes another way
                    }
                    if ((event == kTileMissing || event == kChipGone) && tiles == 4) {
                        continue;
                    }
                    if (event == kBackChangedMid && tiles == 6) {
                        back.SetPixel(1, 1, 0x00FEDCBAu + static_cast<unsigned>(frame));
                    }
                    if (event == kReadMid && tiles == 6) {
                        EXPECT_EQ(actual.Pixel(119, 89), expected.Pixel(119, 89));
                    }
                    both([&](TDirectDrawSurface& s) {
                        s.Draw(x, y, back.ClientRect(), &back, false);
                    });
                }
            }
            if (event == kExtraTile) {
                both([&](TDirectDrawSurface& s) { s.Draw(5, 5, back.ClientRect(), &back, false); });
            }
            // Over the base: sprites, text-like fills and single pixels.
            for (int i = 0; i < 6; ++i) {
                const int x = static_cast<int>(random() % 140) - 15;
                const int y = static_cast<int>(random() % 110) - 15;
                both([&](TDirectDrawSurface& s) {
                    s.Draw(x, y, sprite.ClientRect(), &sprite, true);
                });
            }
            const int fx = static_cast<int>(random() % 100);
            both([&](TDirectDrawSurface& s) {
                s.Canvas().Brush.Color = clRed;
                s.Canvas().FillRect(TRect{fx, 70, fx + 17, 75});
                s.SetPixel(fx, 3, 0x00FF0000u);
            });
            if (event == kWholeWrite) {
                both([&](TDirectDrawSurface& s) { s.Pixels()[fx] = 0x0000FF00u; });
            }
            ASSERT_TRUE(SamePixels(actual, expected)) << "frame " << frame << " event " << event;
            if (!chip) {
                chip = std::make_unique<TDirectDrawSurface>(10, 10);
                FillSource(*chip, false);
            }
        }
    }
    EXPECT_GT(kept, 40); // the test must go through the kept path
}

// Each frame taken for the screen names where it may differ from the frame
// taken before; a pixel that changed outside those blocks would stay stale
// on a screen that redraws only them. When the surface cannot vouch for the
// changes (another background, no Fill or two between takes, a write to all
// pixels) it must say so.
TEST(SurfaceDraw, TakenFramesNameEveryPixelThatChanged) {
    enum Event { kSame, kShifted, kNoFill, kTwoFills, kWholeWrite, kBackChanged };
    const Event schedule[] = {kSame, kSame, kShifted,  kSame,        kSame, kNoFill,
                              kSame, kSame, kTwoFills, kSame,        kSame, kWholeWrite,
                              kSame, kSame, kSame,     kBackChanged, kSame, kSame};
    std::mt19937 random(17);
    TDirectDrawSurface back(50, 20);
    FillSource(back, false);
    TDirectDrawSurface sprite(21, 9);
    FillSource(sprite, true);
    TDirectDrawSurface surface(150, 90);
    std::vector<std::uint32_t> shown;
    std::uint64_t shownNumber = 0;
    int known = 0;
    int ox = 0;
    const auto frame = [&](Event event) {
        if (event != kNoFill) {
            surface.Fill(0x123456);
        }
        ox = event == kShifted ? ox + 3 : ox;
        for (int y = -5; y < 90; y += 20) {
            for (int x = ox % 50 - 50; x < 150; x += 50) {
                surface.Draw(x, y, back.ClientRect(), &back, false);
            }
        }
        for (int i = 0; i < 4; ++i) {
            const int x = static_cast<int>(random() % 170) - 20;
            const int y = static_cast<int>(random() % 100) - 10;
            surface.Draw(x, y, sprite.ClientRect(), &sprite, true);
        }
        const int fx = static_cast<int>(random() % 130);
        surface.Canvas().Brush.Color = clRed;
        surface.Canvas().FillRect(TRect{fx, 70, fx + 17, 75});
        surface.SetPixel(fx, 3, 0x00FF0000u);
        if (event == kWholeWrite) {
            surface.Pixels()[fx + 150 * 40] = 0x0000FF00u;
        }
    };
    for (int round = 0; round < 3; ++round) {
        for (const Event event : schedule) {
            SCOPED_TRACE("round " + std::to_string(round) + " event " + std::to_string(event));
            if (event == kBackChanged) {
                back.SetPixel(7, 7, 0x00ABCDEFu + static_cast<unsigned>(round));
            }
            if (event == kTwoFills) {
                frame(kSame); // composed but never taken
            }
            frame(event);
            const platform::PixelView view = surface.FrameView();
            const platform::FrameChanges changes = surface.TakeChanges();
            EXPECT_EQ(changes.frame, shownNumber + 1);
            const bool mayKnow = event == kSame && shownNumber > 0;
            if (!mayKnow) {
                EXPECT_EQ(changes.rows, nullptr);
            }
            if (changes.rows != nullptr) {
                ++known;
                EXPECT_EQ(changes.since, shownNumber);
                for (int y = 0; y < view.height; ++y) {
                    for (int x = 0; x < view.width; ++x) {
                        const std::size_t at = std::size_t(y) * view.width + x;
                        if (view.pixels[at] == shown[at]) {
                            continue;
                        }
                        const std::uint64_t word =
                            changes.rows[std::size_t(y) * changes.words + std::size_t(x / 16 / 64)];
                        ASSERT_NE(word & (std::uint64_t{1} << (x / 16 % 64)), 0u)
                            << "changed at " << x << "," << y << " but not named";
                    }
                }
            }
            shown.assign(view.pixels, view.pixels + view.width * view.height);
            shownNumber = changes.frame;
        }
    }
    EXPECT_GT(known, 25); // the test must go through the named changes
}

TEST(SurfaceDraw, LentMemoryTakesThePictureAlongAndIsNeverReadOnceGiven) {
    TDirectDrawSurface opaque(50, 20);
    FillSource(opaque, false);
    TDirectDrawSurface surface(60, 40);
    surface.Fill(0x0000FF); // still pending when the memory changes
    surface.Draw(3, 4, opaque.ClientRect(), &opaque, false);
    const auto expectedPixel = [&](int x, int y) {
        const bool onPicture = x >= 3 && x < 53 && y >= 4 && y < 24;
        return onPicture ? CoordinatePixel(x - 3, y - 4) : 0x0000FFu;
    };

    // Memory of another size or pitch is refused.
    std::vector<std::uint32_t> wrong(61u * 40u, 7);
    surface.UseMemory(platform::PixelView{wrong.data(), 60, 40, 61});
    surface.UseMemory(platform::PixelView{wrong.data(), 61, 40, 61});
    EXPECT_NE(surface.Pixels(), wrong.data());

    std::vector<std::uint32_t> lent(60u * 40u, 7);
    surface.UseMemory(platform::PixelView{lent.data(), 60, 40, 60});
    ASSERT_EQ(surface.Pixels(), lent.data());
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            ASSERT_EQ(lent[static_cast<std::size_t>(y * 60 + x)], expectedPixel(x, y))
                << x << ',' << y;
        }
    }
    surface.Fill(0x00FF00);
    surface.Draw(0, 0, opaque.ClientRect(), &opaque, false);
    surface.View(); // as a present does: the deferred fill lands
    EXPECT_EQ(lent[0], CoordinatePixel(0, 0));
    EXPECT_EQ(lent[59], 0x00FF00u);

    // Given back: the old memory may be gone, so nothing comes from it.
    std::fill(lent.begin(), lent.end(), 9);
    surface.UseMemory({});
    EXPECT_NE(surface.Pixels(), lent.data());
    EXPECT_EQ(surface.Pixel(0, 0), 0u);
    surface.Draw(0, 0, opaque.ClientRect(), &opaque, false);
    EXPECT_EQ(lent[0], 9u);
    EXPECT_EQ(surface.Pixel(1, 0), CoordinatePixel(1, 0));
}

TEST(SurfaceDraw, KeyedRunsFollowChangesOfPixelsAndKey) {
    TDirectDrawSurface source(4, 1);
    for (int x = 0; x < 4; ++x) {
        source.SetPixel(x, 0, x == 1 ? kKey : 0x10 + x);
    }
    source.SetTransparentColor(kKey);
    TDirectDrawSurface dest(4, 1);
    dest.Draw(0, 0, source.ClientRect(), &source, true);
    EXPECT_EQ(dest.Pixel(1, 0), 0u);

    source.SetPixel(1, 0, 0x77); // no longer the key
    dest.Draw(0, 0, source.ClientRect(), &source, true);
    EXPECT_EQ(dest.Pixel(1, 0), 0x77u);

    dest.Fill(0);
    source.SetTransparentColor(0x10); // now the first pixel is keyed out
    dest.Draw(0, 0, source.ClientRect(), &source, true);
    EXPECT_EQ(dest.Pixel(0, 0), 0u);
    EXPECT_EQ(dest.Pixel(1, 0), 0x77u);
}

TEST(SurfaceDraw, NothingFromOrOntoLostSurfacesOrNull) {
    TDirectDrawSurface source(4, 4);
    FillSource(source, false);
    TDirectDrawSurface dest(8, 8);
    dest.Draw(0, 0, source.ClientRect(), nullptr, false);
    source.MarkLost();
    dest.Draw(0, 0, source.ClientRect(), &source, false);
    EXPECT_EQ(dest.Pixel(0, 0), 0u);
    source.Restore();
    dest.MarkLost();
    dest.Draw(0, 0, source.ClientRect(), &source, false);
    dest.Fill(5);
    dest.Restore();
    EXPECT_EQ(dest.Pixel(0, 0), 0u);
    dest.Draw(0, 0, source.ClientRect(), &source, false);
    EXPECT_EQ(dest.Pixel(3, 3), CoordinatePixel(3, 3));
}

// Draws every text as a block of its colour, 6 pixels a character, 10 high.
class BlockFont : public platform::IFontRasterizer {
public:
    platform::PixelRect DrawText(platform::PixelView target, int x, int y, std::string_view text,
                                 const platform::TextStyle& style) override {
        last = style;
        for (int row = y; row < y + 10; ++row) {
            for (int col = x; col < x + TextWidth(text, style); ++col) {
                if (row >= 0 && col >= 0 && row < target.height && col < target.width) {
                    target.pixels[row * target.pitch + col] = style.color;
                }
            }
        }
        return {x, y, x + TextWidth(text, style), y + 10};
    }
    int TextWidth(std::string_view text, const platform::TextStyle&) override {
        return 6 * static_cast<int>(text.size());
    }
    int TextHeight(std::string_view, const platform::TextStyle&) override { return 12; }
    platform::TextStyle last;
};

TEST(Canvas, TextGoesThroughTheInstalledRasterizer) {
    TDirectDrawSurface surface(100, 50);
    TCanvas& canvas = surface.Canvas();
    canvas.TextOut(0, 0, "AB"); // nothing installed: nothing drawn
    EXPECT_EQ(canvas.TextWidth("AB"), 0);
    EXPECT_EQ(surface.Pixel(0, 0), 0u);

    BlockFont font;
    TCanvas::SetFontRasterizer(&font);
    canvas.Font.Name = "Arial";
    canvas.Font.Size = 16;
    canvas.Font.Color = RGBColor(153, 204, 255);
    canvas.Font.Style.Bold = true;
    canvas.Brush.Style = bsClear;
    canvas.TextOut(10, 5, "AB");
    EXPECT_EQ(font.last.fontName, "Arial");
    EXPECT_EQ(font.last.sizePoints, 16);
    EXPECT_TRUE(font.last.bold);
    EXPECT_EQ(surface.Pixel(10, 5), 0x99CCFFu);
    EXPECT_EQ(surface.Pixel(10, 15), 0u); // clear brush: no cell background

    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clRed;
    canvas.TextOut(40, 5, "C");
    EXPECT_EQ(surface.Pixel(40, 15), 0xFF0000u); // cell of height 12 filled
    EXPECT_EQ(surface.Pixel(40, 17), 0u);
    EXPECT_EQ(canvas.TextWidth("ABC"), 18);
    canvas.Release();
    TCanvas::SetFontRasterizer(nullptr);
}

TEST(Canvas, RectangleOutlineWithAWidePen) {
    TDirectDrawSurface surface(40, 40);
    TCanvas& canvas = surface.Canvas();
    canvas.Brush.Style = bsClear;
    canvas.Pen.Color = RGBColor(153, 204, 255);
    canvas.Pen.Width = 1;
    canvas.Rectangle(5, 5, 15, 10);
    const std::uint32_t blue = 0x99CCFF;
    EXPECT_EQ(surface.Pixel(5, 5), blue);
    EXPECT_EQ(surface.Pixel(14, 9), blue);
    EXPECT_EQ(surface.Pixel(15, 9), 0u);  // right edge exclusive
    EXPECT_EQ(surface.Pixel(10, 7), 0u);  // inside left alone
    EXPECT_EQ(surface.Pixel(10, 10), 0u); // bottom edge exclusive

    surface.Fill(0);
    canvas.Pen.Width = 2;
    canvas.Rectangle(20, 20, 30, 30);
    EXPECT_EQ(surface.Pixel(19, 19), blue); // grows to both sides
    EXPECT_EQ(surface.Pixel(20, 20), blue);
    EXPECT_EQ(surface.Pixel(21, 21), 0u);
    EXPECT_EQ(surface.Pixel(28, 29), blue);
    EXPECT_EQ(surface.Pixel(29, 29), blue);
    EXPECT_EQ(surface.Pixel(30, 25), 0u);

    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clWhite;
    canvas.Rectangle(-5, -5, 3, 3); // clipped, filled inside
    EXPECT_EQ(surface.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(surface.Pixel(1, 1), blue); // the outline drawn over the fill
}

TEST(Surface, ColoursBecomeRgbPixels) {
    EXPECT_EQ(ColorToPixel(RGBColor(153, 204, 255)), 0x99CCFFu);
    EXPECT_EQ(ColorToPixel(clRed), 0xFF0000u);
    TDirectDrawSurface surface(1, 1);
    EXPECT_EQ(SurfaceColorOf(surface, RGBColor(1, 2, 3)), 0x010203u);
    TDirectDrawSurface empty;
    EXPECT_EQ(SurfaceColorOf(empty, RGBColor(1, 2, 3)), 0u);
}

} // namespace
