#include "platform/Scaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace platform {
namespace {

struct Image {
    Image(int w, int h, int pitch, std::uint32_t fill) : pixels(std::size_t(pitch) * h, fill) {
        view = PixelView{pixels.data(), w, h, pitch};
    }
    std::uint32_t& at(int x, int y) { return pixels[std::size_t(y) * view.pitch + x]; }
    std::vector<std::uint32_t> pixels;
    PixelView view;
};

std::uint32_t Pattern(int x, int y) {
    return static_cast<std::uint32_t>((x * 37 + y * 11) & 0xFF) << 16 |
           static_cast<std::uint32_t>((x ^ y) & 0xFF) << 8 | static_cast<std::uint32_t>(y & 0xFF);
}

// Where an edit falls in a picture of sw x sh: a negative x or y counts from
// the far edge, a negative width or height reaches it.
Rect EditBox(int x, int y, int w, int h, int sw, int sh) {
    const int x0 = x < 0 ? sw + x : x;
    const int y0 = y < 0 ? sh + y : y;
    return Rect{x0, y0, w < 0 ? sw - x0 : w, h < 0 ? sh - y0 : h};
}

TEST(Scaler, WholeMultiplesRepeatEveryPixelAndKeepThePadding) {
    for (int scale : {1, 2, 3}) {
        Image source(5, 4, 7, 0);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 5; ++x) {
                source.at(x, y) = Pattern(x, y);
            }
        }
        constexpr std::uint32_t kUntouched = 0xABCDEF;
        Image target(5 * scale, 4 * scale, 5 * scale + 3, kUntouched);
        ScaleWhole(source.view, target.view, scale);
        for (int y = 0; y < 4 * scale; ++y) {
            for (int x = 0; x < 5 * scale + 3; ++x) {
                const std::uint32_t expected =
                    x < 5 * scale ? Pattern(x / scale, y / scale) : kUntouched;
                ASSERT_EQ(target.at(x, y), expected) << scale << "x at " << x << "," << y;
            }
        }
    }
}

TEST(Scaler, LinearScalingKeepsFlatColoursAndTheSameSizeExact) {
    Image flat(800, 600, 800, 0x3C7FE1);
    Image wide(1440, 1080, 1450, 0x123456);
    AreaScaler scaler;
    scaler.Scale(flat.view, wide.view);
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 1440; ++x) {
            ASSERT_EQ(wide.at(x, y), 0x3C7FE1u) << x << "," << y;
        }
        ASSERT_EQ(wide.at(1440, y), 0x123456u); // the padding
    }
    Image source(32, 24, 32, 0);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 32; ++x) {
            source.at(x, y) = Pattern(x, y);
        }
    }
    Image same(32, 24, 32, 0);
    scaler.Scale(source.view, same.view);
    EXPECT_EQ(same.pixels, source.pixels);
}

// Each source column, alone white on black, must come out equally wide: the
// light it spreads over the destination row is the scale ratio for every
// column (nearest-neighbour would give 1 or 2 whole pixels at 1.8).
TEST(Scaler, LinearScalingGivesEveryColumnAndRowTheSameWeight) {
    struct Case {
        int from, to;
    };
    for (const Case c :
         {Case{800, 1440}, Case{600, 1080}, Case{800, 1280}, Case{600, 960}, Case{800, 1366}}) {
        AreaScaler scaler;
        Image line(c.from, 1, c.from, 0);
        Image out(c.to, 1, c.to, 0);
        const double ratio = double(c.to) / c.from;
        for (int lit = 0; lit < c.from; ++lit) {
            line.at(lit, 0) = 0x0000FF;
            if (lit > 0) {
                line.at(lit - 1, 0) = 0;
            }
            scaler.Scale(line.view, out.view);
            double light = 0;
            for (int x = 0; x < c.to; ++x) {
                light += (out.at(x, 0) & 0xFF) / 255.0;
            }
            ASSERT_NEAR(light, ratio, 0.02) << c.from << " -> " << c.to << ", column " << lit;
        }
        // The same along a column: the vertical pass has its own tables.
        Image column(1, c.from, 1, 0);
        Image tall(1, c.to, 1, 0);
        column.at(0, c.from / 2) = 0x0000FF;
        scaler.Scale(column.view, tall.view);
        double light = 0;
        for (int y = 0; y < c.to; ++y) {
            light += (tall.at(0, y) & 0xFF) / 255.0;
        }
        EXPECT_NEAR(light, ratio, 0.02) << c.from << " -> " << c.to << " vertically";
    }
}

// The vector code (eight and four pixels at a time, streamed or not, with
// tails of every length and rows that start off alignment) must give the
// plain per-pixel sums exactly.
TEST(Scaler, VectorCodeGivesThePlainSums) {
    struct Case {
        int sw, sh, dw, dh, left; // left: where the box starts in its row
    };
    for (const Case c : {Case{800, 600, 1440, 1080, 240}, Case{800, 600, 1280, 960, 0},
                         Case{800, 600, 1366, 768, 1}, Case{97, 75, 173, 131, 3},
                         Case{13, 7, 29, 17, 5}, Case{5, 4, 9, 7, 0}}) {
        Image source(c.sw, c.sh, c.sw + 1, 0);
        for (int y = 0; y < c.sh; ++y) {
            for (int x = 0; x < c.sw; ++x) {
                source.at(x, y) = Pattern(x * 7, y * 5) ^ 0xFFFFFF * ((x + y) % 3 == 0);
            }
        }
        const int pitch = c.left + c.dw + 7;
        Image plain(pitch, c.dh, pitch, 0);
        AreaScaler reference;
        reference.SetPlain(true);
        reference.Scale(source.view, PixelView{&plain.at(c.left, 0), c.dw, c.dh, pitch});
        for (const auto stores : {AreaScaler::Stores::Cached, AreaScaler::Stores::Streaming}) {
            Image fast(pitch, c.dh, pitch, 0);
            AreaScaler scaler;
            scaler.SetStores(stores);
            scaler.Scale(source.view, PixelView{&fast.at(c.left, 0), c.dw, c.dh, pitch});
            ASSERT_EQ(fast.pixels, plain.pixels) << c.sw << " -> " << c.dw << " at " << c.left;
        }
    }
}

// Scaling only the changes must leave the destination exactly as a whole
// scale of the new picture would, and name every pixel it changed; edits at
// the corners and across the blocks changes are found in are the traps.
TEST(Scaler, ScalingOnlyTheChangesEqualsScalingTheWhole) {
    struct Edit {
        const char* what;
        int x, y, w, h;
    };
    const Edit edits[] = {
        {"nothing", 0, 0, 0, 0},
        {"top left pixel", 0, 0, 1, 1},
        {"bottom right pixel", -1, -1, 1, 1},
        {"a block's last column", 31, 10, 1, 1},
        {"a block's first column", 32, 11, 1, 1},
        {"a whole row", 0, 7, -1, 1},
        {"a sprite over blocks", 20, 30, 50, 9},
        {"the last column", -1, 0, 1, -1},
        {"everything", 0, 0, -1, -1},
    };
    struct Size {
        int sw, sh, dw, dh;
    };
    for (const Size size :
         {Size{800, 600, 1440, 1080}, Size{800, 600, 1280, 960}, Size{97, 75, 173, 131}}) {
        Image source(size.sw, size.sh, size.sw + 5, 0);
        for (int y = 0; y < size.sh; ++y) {
            for (int x = 0; x < size.sw; ++x) {
                source.at(x, y) = Pattern(x, y);
            }
        }
        constexpr std::uint32_t kUntouched = 0xABCDEF;
        Image target(size.dw, size.dh, size.dw + 3, kUntouched);
        AreaScaler changes;
        const auto& first = changes.ScaleChanges(source.view, target.view);
        ASSERT_EQ(first.size(), 1u);
        EXPECT_EQ(first[0].w, size.dw);
        EXPECT_EQ(first[0].h, size.dh);
        int round = 0;
        for (const Edit& edit : edits) {
            SCOPED_TRACE(std::to_string(size.sw) + " -> " + std::to_string(size.dw) + ", " +
                         edit.what);
            const auto [x0, y0, w, h] = EditBox(edit.x, edit.y, edit.w, edit.h, size.sw, size.sh);
            ++round;
            for (int y = y0; y < y0 + h; ++y) {
                for (int x = x0; x < x0 + w; ++x) {
                    source.at(x, y) = Pattern(x + round * 13, y * round);
                }
            }
            const std::vector<std::uint32_t> before = target.pixels;
            const std::vector<Rect> written = changes.ScaleChanges(source.view, target.view);
            Image whole(size.dw, size.dh, size.dw + 3, kUntouched);
            AreaScaler().Scale(source.view, whole.view);
            ASSERT_EQ(target.pixels, whole.pixels);
            for (int y = 0; y < size.dh; ++y) {
                for (int x = 0; x < size.dw; ++x) {
                    if (target.at(x, y) == before[std::size_t(y) * target.view.pitch + x]) {
                        continue;
                    }
                    bool named = false;
                    for (const Rect& box : written) {
                        named = named || (x >= box.x && x < box.x + box.w && y >= box.y &&
                                          y < box.y + box.h);
                    }
                    ASSERT_TRUE(named) << "changed at " << x << "," << y << " but not named";
                }
            }
            if (w == 0) {
                EXPECT_TRUE(written.empty());
            }
        }
        // Another destination is written whole.
        Image other(size.dw, size.dh, size.dw, 0);
        const auto& again = changes.ScaleChanges(source.view, other.view);
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(again[0].h, size.dh);
    }
}

// Told by the composer what may have changed, the scaler looks only there
// and must still leave exactly a whole scale of the new picture, cached or
// streamed. Changes counted from a frame it did not scale last are not
// trusted: it compares everything then.
TEST(Scaler, ScalingTheChangesTheComposerNamesEqualsScalingTheWhole) {
    struct Edit {
        const char* what;
        int x, y, w, h;
        bool skipNumber; // a frame presented elsewhere came between
    };
    const Edit edits[] = {
        {"nothing", 0, 0, 0, 0, false},
        {"one block", 16, 3, 16, 2, false},
        {"across a scaler block", 28, 40, 9, 5, false},
        {"the last columns", -5, 0, 5, -1, false},
        {"bottom right pixel", -1, -1, 1, 1, false},
        {"after a frame shown elsewhere", 50, 20, 30, 30, true},
        {"everything", 0, 0, -1, -1, false},
    };
    struct Size {
        int sw, sh, dw, dh;
    };
    for (const auto stores : {AreaScaler::Stores::Cached, AreaScaler::Stores::Streaming}) {
        for (const Size size : {Size{800, 600, 1440, 1080}, Size{97, 75, 173, 131}}) {
            Image source(size.sw, size.sh, size.sw, 0);
            for (int y = 0; y < size.sh; ++y) {
                for (int x = 0; x < size.sw; ++x) {
                    source.at(x, y) = Pattern(x, y);
                }
            }
            const int words = ((size.sw + 15) / 16 + 63) / 64;
            std::vector<std::uint64_t> rows(std::size_t(words) * size.sh);
            Image target(size.dw, size.dh, size.dw + 4, 0);
            AreaScaler changes;
            changes.SetStores(stores);
            std::uint64_t number = 1;
            changes.ScaleChanges(source.view, target.view, FrameChanges{number, 0, 0, nullptr});
            int round = 0;
            for (const Edit& edit : edits) {
                SCOPED_TRACE(std::to_string(size.sw) + " -> " + std::to_string(size.dw) + ", " +
                             edit.what);
                const auto [x0, y0, w, h] =
                    EditBox(edit.x, edit.y, edit.w, edit.h, size.sw, size.sh);
                ++round;
                std::fill(rows.begin(), rows.end(), 0);
                for (int y = y0; y < y0 + h; ++y) {
                    for (int x = x0; x < x0 + w; ++x) {
                        source.at(x, y) = Pattern(x + round * 13, y * round);
                        rows[std::size_t(y) * words + std::size_t(x / 16 / 64)] |= std::uint64_t{1}
                                                                                   << (x / 16 % 64);
                    }
                }
                number += edit.skipNumber ? 2 : 1;
                const FrameChanges named{number, number - 1, words, rows.data()};
                const std::vector<Rect> written =
                    changes.ScaleChanges(source.view, target.view, named);
                Image whole(size.dw, size.dh, size.dw + 4, 0);
                AreaScaler().Scale(source.view, whole.view);
                ASSERT_EQ(target.pixels, whole.pixels);
                if (w == 0 && !edit.skipNumber) {
                    EXPECT_TRUE(written.empty());
                }
                if (edit.skipNumber) {
                    EXPECT_FALSE(written.empty()); // found by comparing
                }
            }
        }
    }
}

// Blocks that changed when last compared are taken on the composer's word
// for some frames, their copies stale. Parts that flip among a few looks
// (so a stale copy's pixels come back), are drawn over unchanged, or change
// in a frame told nothing, must still leave a whole scale every frame.
TEST(Scaler, BlocksTakenOnTheComposersWordStayExact) {
    constexpr int kSw = 97, kSh = 75, kDw = 173, kDh = 131;
    const int words = ((kSw + 15) / 16 + 63) / 64;
    Image source(kSw, kSh, kSw, 0);
    for (int y = 0; y < kSh; ++y) {
        for (int x = 0; x < kSw; ++x) {
            source.at(x, y) = Pattern(x, y);
        }
    }
    const Rect parts[] = {{0, 10, kSw, 8}, {30, 40, 20, 9}, {60, 60, 37, 15}};
    std::vector<std::uint64_t> rows(std::size_t(words) * kSh);
    Image target(kDw, kDh, kDw, 0);
    AreaScaler scaler;
    std::uint64_t number = 1;
    scaler.ScaleChanges(source.view, target.view, FrameChanges{number, 0, 0, nullptr});
    std::mt19937 random(7);
    for (int frame = 0; frame < 300; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        std::fill(rows.begin(), rows.end(), 0);
        for (const Rect& part : parts) {
            const unsigned what = random() % 5; // 0 left alone, 1 drawn over unchanged, 2..4 a look
            for (int y = part.y; y < part.y + part.h && what != 0; ++y) {
                for (int x = part.x; x < part.x + part.w; ++x) {
                    if (what >= 2) {
                        source.at(x, y) = Pattern(x + static_cast<int>(what) * 5, y);
                    }
                    rows[std::size_t(y) * words + std::size_t(x / 16 / 64)] |= std::uint64_t{1}
                                                                               << (x / 16 % 64);
                }
            }
        }
        const unsigned told = random() % 8; // 0: told nothing, 1: a frame shown elsewhere
        number += told == 1 ? 2 : 1;
        if (told == 0) {
            scaler.ScaleChanges(source.view, target.view);
        } else {
            scaler.ScaleChanges(source.view, target.view,
                                FrameChanges{number, number - 1, words, rows.data()});
        }
        Image whole(kDw, kDh, kDw, 0);
        AreaScaler().Scale(source.view, whole.view);
        ASSERT_EQ(target.pixels, whole.pixels);
    }
}

} // namespace
} // namespace platform
