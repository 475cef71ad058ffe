#include "platform/Scaler.h"

#include <gtest/gtest.h>

#include <cstdint>
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

} // namespace
} // namespace platform
