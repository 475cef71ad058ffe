#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/Image.h"

namespace platform {
namespace {

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("brinehold_platform_") + std::to_string(::getpid()) + name))
        .string();
}

TEST(Image, PngRoundTripKeepsEveryPixel) {
    // A view narrower than its pitch: the padding must not reach the file.
    const int w = 7, h = 5, pitch = 9;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(pitch) * h, 0xDEADBE);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            pixels[static_cast<std::size_t>(y) * pitch + x] =
                static_cast<std::uint32_t>((x * 37) << 16 | (y * 51) << 8 | (x * y * 7));
        }
    }
    const std::string path = TempPath("round.png");
    ASSERT_TRUE(WritePng(path, {pixels.data(), w, h, pitch}));

    int rw = 0, rh = 0;
    std::vector<std::uint32_t> read;
    std::vector<std::uint8_t> alpha;
    ASSERT_TRUE(ReadImageFile(path, rw, rh, read, &alpha));
    EXPECT_EQ(rw, w);
    EXPECT_EQ(rh, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            EXPECT_EQ(read[static_cast<std::size_t>(y) * w + x],
                      pixels[static_cast<std::size_t>(y) * pitch + x])
                << x << "," << y;
        }
    }
    for (auto a : alpha) {
        EXPECT_EQ(a, 255);
    }
    std::filesystem::remove(path);
}

TEST(Image, FailuresAreReported) {
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    EXPECT_FALSE(ReadImageFile(TempPath("missing.png"), w, h, pixels));

    const std::string garbage = TempPath("garbage.png");
    std::ofstream(garbage, std::ios::binary) << "\x89PNG\r\n\x1a\n not really";
    EXPECT_FALSE(ReadImageFile(garbage, w, h, pixels));
    std::filesystem::remove(garbage);

    std::uint32_t pixel = 0;
    EXPECT_FALSE(WritePng("/nonexistent-dir/x.png", {&pixel, 1, 1, 1}));
    EXPECT_FALSE(WritePng(TempPath("empty.png"), {nullptr, 0, 0, 0}));
}

TEST(Image, ReadsABmpMadeElsewhere) {
    const std::string path = std::string(BRINEHOLD_TESTDATA_DIR) + "/bitmaps/g/rgb24.bmp";
    if (!std::filesystem::exists(path)) {
        GTEST_SKIP() << "no " << path;
    }
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(ReadImageFile(path, w, h, pixels));
    EXPECT_EQ(w, 127);
    EXPECT_EQ(h, 64);
    EXPECT_EQ(pixels.size(), 127u * 64u);
}

} // namespace
} // namespace platform
