// Bitmaps written by other programs: bmpsuite's files and ImageMagick's
// output, each decoded without its 14-byte file header and compared with what
// ImageMagick decodes from the whole file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempDir.h"
#include "assets/DIB.h"
#include "assets/Errors.h"
#include "assets/Stream.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBitmaps = fs::path(BRINEHOLD_TESTDATA_DIR) / "bitmaps";

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool HaveConvert() {
    return std::system("convert -version > /dev/null 2>&1") == 0;
}

// What ImageMagick decodes: 0x00RRGGBB, top row first.
std::vector<std::uint32_t> ConvertDecode(const fs::path& bmp, const TempDir& temp) {
    const std::string out = temp / "decoded.rgb";
    const std::string command = "convert '" + bmp.string() + "' -depth 8 rgb:'" + out + "'";
    if (std::system(command.c_str()) != 0) {
        return {};
    }
    std::vector<std::uint8_t> rgb = ReadFile(out);
    std::vector<std::uint32_t> pixels;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        pixels.push_back(static_cast<std::uint32_t>(rgb[i]) << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
    }
    return pixels;
}

// Reads the bitmap of a BMP file as an archive holds it (no file header).
// Returns the error message, or "" with `dib` filled.
std::string DecodeStripped(const std::vector<std::uint8_t>& file, TDIB& dib) {
    if (file.size() < 14) {
        return "short file";
    }
    std::vector<std::uint8_t> stored(file.begin() + 14, file.end());
    TMemoryView stream(stored);
    try {
        dib.ReadBitmapData(stream);
        dib.ExpandImage();
    } catch (const EAssetError& e) {
        return e.what();
    }
    return "";
}

std::uint32_t HeaderSize(const std::vector<std::uint8_t>& file) {
    return file.size() < 18 ? 0 : file[14] | file[15] << 8 | file[16] << 16 | file[17] << 24;
}

} // namespace

TEST(BitmapFilesTest, GoodBmpSuiteFilesDecodeAsImageMagickDecodesThem) {
    if (!HaveConvert()) {
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    }
    TempDir temp;
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(kBitmaps / "g")) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::vector<std::uint8_t> file = ReadFile(entry.path());
        TDIB dib;
        const std::string error = DecodeStripped(file, dib);
        const std::uint32_t headerSize = HeaderSize(file);
        if (headerSize != 12 && headerSize != 40) {
            EXPECT_EQ(error, "DIB is invalid");
            continue;
        }
        ASSERT_EQ(error, "");
        EXPECT_EQ(dib.Pixels(), ConvertDecode(entry.path(), temp));
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

TEST(BitmapFilesTest, QuestionableAndBadFilesFailCleanlyOrDecode) {
    const std::vector<std::string> allowed = {"", "DIB is invalid", "Stream read error",
                                              "PixelFormat in invalid"};
    for (const char* folder : {"q", "b"}) {
        for (const auto& entry : fs::directory_iterator(kBitmaps / folder)) {
            SCOPED_TRACE(entry.path().string());
            const std::vector<std::uint8_t> file = ReadFile(entry.path());
            TDIB dib;
            const std::string error = DecodeStripped(file, dib);
            const bool known = error.rfind("Bitcount in invalid (", 0) == 0 ||
                               std::find(allowed.begin(), allowed.end(), error) != allowed.end() ||
                               error == "short file";
            EXPECT_TRUE(known) << error;
            if (error.empty()) {
                EXPECT_EQ(dib.Pixels().size(),
                          static_cast<std::size_t>(dib.Width()) * dib.Height());
            }
        }
    }
}

TEST(BitmapFilesTest, ImageMagickBmp3OutputDecodesAsImageMagickDecodesIt) {
    if (!HaveConvert()) {
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    }
    TempDir temp;
    const std::string source = "-size 61x33 -seed 7 plasma:fractal";
    struct Case {
        const char* name;
        const char* options;
        int bits;
        int compression;
    };
    const Case cases[] = {
        {"1 bit", "-colors 2 -type Palette -compress None BMP3:", 1, 0},
        {"4 bits", "-colors 12 -type Palette -compress None BMP3:", 4, 0},
        {"8 bits", "-colors 200 -type Palette -compress None BMP3:", 8, 0},
        {"8 bits RLE8", "-colors 200 -type Palette -compress RLE BMP3:", 8, 1},
        {"24 bits", "-compress None BMP3:", 24, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bmp = temp / "picture.bmp";
        const std::string command = "convert " + source + " " + c.options + "'" + bmp + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        TDIB dib;
        ASSERT_EQ(DecodeStripped(ReadFile(bmp), dib), "");
        EXPECT_EQ(dib.BitCount(), c.bits);
        EXPECT_EQ(dib.Pixels(), ConvertDecode(bmp, temp));
    }
}

TEST(BitmapFilesTest, SixteenBitBitFieldsDecodeAsImageMagickDecodesThem) {
    if (!HaveConvert()) {
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    }
    TempDir temp;
    for (const char* subtype : {"RGB565", "RGB555"}) {
        SCOPED_TRACE(subtype);
        const std::string bmp = temp / "picture.bmp";
        const std::string command = std::string("convert -size 61x33 -seed 7 plasma:fractal ") +
                                    "-define bmp:subtype=" + subtype + " BMP:'" + bmp + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        // ImageMagick writes the masks inside a 124-byte header: the same
        // bitmap in the 40-byte layout is that header's first 40 bytes, its
        // three masks and the pixels.
        const std::vector<std::uint8_t> file = ReadFile(bmp);
        ASSERT_EQ(HeaderSize(file), 124u);
        const std::uint32_t offset = file[10] | file[11] << 8 | file[12] << 16 | file[13] << 24;
        std::vector<std::uint8_t> stored(file.begin() + 14, file.begin() + 14 + 52);
        stored[0] = 40;
        stored.insert(stored.end(), file.begin() + offset, file.end());
        TMemoryView stream(stored);
        TDIB dib;
        dib.ReadBitmapData(stream);
        EXPECT_EQ(dib.BitCount(), 16);
        EXPECT_EQ(dib.GreenBits(), std::string(subtype) == "RGB565" ? 6 : 5);
        EXPECT_EQ(dib.Pixels(), ConvertDecode(bmp, temp));
    }
}
