#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "StreamBuilder.h"
#include "assets/ArchiveWriter.h"
#include "assets/DIB.h"
#include "assets/Errors.h"
#include "assets/Stream.h"

namespace {

TDIB ReadDib(const std::vector<std::uint8_t>& bytes) {
    TMemoryView stream(bytes);
    TDIB dib;
    dib.ReadBitmapData(stream);
    return dib;
}

std::string ErrorOf(const std::vector<std::uint8_t>& bytes) {
    try {
        ReadDib(bytes);
    } catch (const EAssetError& e) {
        return e.what();
    }
    return "";
}

// A 40-byte header.
Bytes Header(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression = 0,
             std::uint32_t imageSize = 0, std::uint32_t usedColors = 0) {
    Bytes b;
    b.U32(40).U32(static_cast<std::uint32_t>(width)).U32(static_cast<std::uint32_t>(height));
    b.U16(1).U16(static_cast<std::uint32_t>(bits)).U32(compression).U32(imageSize);
    b.U32(0).U32(0).U32(usedColors).U32(0);
    return b;
}

// Grey-scale table entries i -> (i, i, i).
Bytes GreyTable(int entries) {
    Bytes b;
    for (int i = 0; i < entries; ++i) {
        b.U8(i).U8(i).U8(i).U8(0);
    }
    return b;
}

// An 8-bit bitmap of width x height with a grey table whose RLE8 data is `rle`.
std::vector<std::uint8_t> Rle8(int width, int height, const std::vector<std::uint8_t>& rle,
                               std::uint32_t imageSize) {
    return Bytes()
        .Raw(Header(width, height, 8, 1, imageSize, 256))
        .Raw(GreyTable(256))
        .Raw(rle)
        .data;
}

// Memory rows of an 8-bit grey picture, bottom row first, as indices.
std::vector<std::uint32_t> GreyRows(TDIB& dib) {
    std::vector<std::uint32_t> pixels = dib.Pixels();
    std::vector<std::uint32_t> rows;
    for (int y = dib.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < dib.Width(); ++x) {
            rows.push_back(pixels[static_cast<std::size_t>(y) * dib.Width() + x] & 0xFF);
        }
    }
    return rows;
}

// A picture with runs and noise, from `colors`.
std::vector<std::uint32_t> TestPicture(int width, int height,
                                       const std::vector<std::uint32_t>& colors) {
    std::vector<std::uint32_t> pixels;
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245 + 12345;
            std::size_t index = x < width / 2 ? static_cast<std::size_t>(y) : seed >> 16;
            pixels.push_back(colors[index % colors.size()]);
        }
    }
    return pixels;
}

std::uint32_t Widen5(std::uint32_t v) {
    return v << 3 | v >> 2;
}
std::uint32_t Widen6(std::uint32_t v) {
    return v << 2 | v >> 4;
}

} // namespace

TEST(DibTest, EveryBitCountAndCompressionReadsBackWhatWasWritten) {
    struct Case {
        const char* name;
        DibEncoding encoding;
        int colors;
        int expectedCompression;
    };
    const Case cases[] = {
        {"1 bit", {1, 0}, 2, 0},
        {"4 bits", {4, 0}, 16, 0},
        {"4 bits RLE4", {4, 2}, 16, 2},
        {"8 bits", {8, 0}, 256, 0},
        {"8 bits RLE8", {8, 1}, 200, 1},
        {"8 bits top-down", {8, 0, false, true}, 256, 0},
        {"8 bits short header", {8, 0, false, false, true}, 256, 0},
        {"4 bits short header", {4, 0, false, false, true}, 16, 0},
        {"16 bits 5-5-5", {16, 0}, 0, 3},
        {"16 bits 5-5-5 bit fields", {16, 3}, 0, 3},
        {"16 bits 5-6-5 bit fields", {16, 3, true}, 0, 3},
        {"24 bits", {24, 0}, 0, 0},
        {"24 bits top-down", {24, 0, false, true}, 0, 0},
        {"24 bits short header", {24, 0, false, false, true}, 0, 0},
        {"32 bits", {32, 0}, 0, 3},
        {"32 bits bit fields", {32, 3}, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint32_t> colors;
        const int count = c.colors != 0 ? c.colors : 300;
        for (int i = 0; i < count; ++i) {
            std::uint32_t r = (i * 37) & 0x1F, g = (i * 11) & 0x3F, b = (i * 5) & 0x1F;
            std::uint32_t color =
                c.encoding.BitCount == 16
                    ? Widen5(r) << 16 | (c.encoding.Green6 ? Widen6(g) : Widen5(g & 0x1F)) << 8 |
                          Widen5(b)
                    : static_cast<std::uint32_t>(i * 0x9E3779B1u) & 0xFFFFFF;
            colors.push_back(color);
        }
        const int width = 37, height = 11;
        const std::vector<std::uint32_t> pixels = TestPicture(width, height, colors);
        TDIB dib = ReadDib(EncodeDib(width, height, pixels, c.encoding));
        EXPECT_EQ(dib.Width(), width);
        EXPECT_EQ(dib.Height(), height);
        EXPECT_EQ(dib.BitCount(), c.encoding.BitCount);
        EXPECT_EQ(dib.Compression(), c.expectedCompression);
        EXPECT_EQ(dib.Pixels(), pixels);
    }
}

TEST(DibTest, AnEmptyBlockGivesAnEmptyBitmap) {
    TDIB dib = ReadDib({});
    EXPECT_TRUE(dib.Empty());
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.Height(), 0);
}

TEST(DibTest, ColourTableSizeFollowsTheUsedColourCount) {
    {
        // Two entries are read; index 5 falls on the zeroed rest of the table.
        Bytes b = Header(2, 1, 8, 0, 0, 2);
        b.U8(0x30).U8(0x20).U8(0x10).U8(0).U8(0x33).U8(0x22).U8(0x11).U8(0);
        b.U8(1).U8(5).U8(0).U8(0);
        TMemoryView stream(b.data);
        TDIB dib;
        dib.ReadBitmapData(stream);
        EXPECT_EQ(stream.Position(), 40u + 8u + 4u);
        EXPECT_EQ(dib.Pixels(), (std::vector<std::uint32_t>{0x112233, 0}));
        EXPECT_EQ(dib.ColorTable()[0], 0x102030u);
        EXPECT_EQ(dib.ColorTable()[255], 0u);
    }
    {
        // A count of 0 with 8 bits reads all 256 entries.
        Bytes b = Header(1, 1, 8);
        b.Raw(GreyTable(256)).U8(200).U8(0).U8(0).U8(0);
        TMemoryView stream(b.data);
        TDIB dib;
        dib.ReadBitmapData(stream);
        EXPECT_EQ(stream.Position(), 40u + 1024u + 4u);
        EXPECT_EQ(dib.Pixels(), (std::vector<std::uint32_t>{0xC8C8C8}));
    }
    {
        // A 24-bit bitmap with a count of 16 reads and drops 64 bytes.
        Bytes b = Header(1, 1, 24, 0, 0, 16);
        b.Raw(GreyTable(16)).U8(0x01).U8(0x02).U8(0x03).U8(0);
        EXPECT_EQ(ReadDib(b.data).Pixels(), (std::vector<std::uint32_t>{0x030201}));
    }
}

TEST(DibTest, RowsArePaddedToFourBytes) {
    // 3 x 2 at 24 bits: rows of 9 pixel bytes and 3 fill bytes, 24 in all.
    Bytes b = Header(3, 2, 24);
    for (int i = 0; i < 24; ++i) {
        b.U8(i);
    }
    TDIB dib = ReadDib(b.data);
    EXPECT_EQ(dib.Pixels(), (std::vector<std::uint32_t>{0x0E0D0C, 0x11100F, 0x141312, 0x020100,
                                                        0x050403, 0x080706}));
    b.data.pop_back();
    EXPECT_EQ(ErrorOf(b.data), "Stream read error");
}

TEST(DibTest, BitFieldMasksGiveTheLayout) {
    struct Case {
        std::uint32_t red, green, blue;
        int bits;
        const char* error; // nullptr: accepted
        int greenBits;
    };
    const Case cases[] = {
        {0xF800, 0x07E0, 0x001F, 16, nullptr, 6},
        {0x7C00, 0x03E0, 0x001F, 16, nullptr, 5},
        {0xFC00, 0x03E0, 0x001F, 16, "PixelFormat in invalid", 0},
        {0x001F, 0x07E0, 0xF800, 16, nullptr, 6},
        {0, 0, 0, 16, "PixelFormat in invalid", 0},
        {0xFF0000, 0xFF00, 0xFF, 32, nullptr, 8},
        {0xFF0000, 0xFF00, 0x7F, 32, "PixelFormat in invalid", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.red) + "/" + std::to_string(c.green));
        Bytes b = Header(1, 1, c.bits, 3);
        b.U32(c.red).U32(c.green).U32(c.blue).U32(0);
        if (c.error != nullptr) {
            EXPECT_EQ(ErrorOf(b.data), c.error);
        } else {
            EXPECT_EQ(ReadDib(b.data).GreenBits(), c.greenBits);
        }
    }
}

TEST(DibTest, MasksAreReadWhereTheyLie) {
    // Blue high and red low: the pixel's low byte is red.
    Bytes b = Header(1, 1, 32, 3);
    b.U32(0x0000FF).U32(0x00FF00).U32(0xFF0000).U8(0x11).U8(0x22).U8(0x33).U8(0);
    EXPECT_EQ(ReadDib(b.data).Pixels(), (std::vector<std::uint32_t>{0x112233}));
    // 5-6-5 with blue in the high bits.
    Bytes c = Header(1, 1, 16, 3);
    c.U32(0x001F).U32(0x07E0).U32(0xF800).U16(0x001F).U16(0);
    EXPECT_EQ(ReadDib(c.data).Pixels(), (std::vector<std::uint32_t>{0xFF0000}));
}

TEST(DibTest, DamagedHeadersFailWithTheirMessage) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* message;
    };
    const Case cases[] = {
        {"two header bytes", {40, 0}, "DIB is invalid"},
        {"header size 41", Bytes().U32(41).Raw(std::string(40, '\0')).data, "DIB is invalid"},
        {"header size 108", Bytes().U32(108).Raw(std::string(104, '\0')).data, "DIB is invalid"},
        {"short header cut", Bytes().U32(12).U16(1).data, "Stream read error"},
        {"long header cut", Bytes().U32(40).U32(1).data, "Stream read error"},
        {"2 bits", Header(1, 1, 2).Raw(GreyTable(4)).U32(0).data, "Bitcount in invalid (2)"},
        {"0 bits", Header(1, 1, 0).Raw(GreyTable(1)).U32(0).data, "Bitcount in invalid (0)"},
        {"compression 4", Header(1, 1, 24, 4).U32(0).data, "DIB is invalid"},
        {"RLE8 on 24 bits", Header(1, 1, 24, 1, 2).U16(1 << 8).data, "DIB is invalid"},
        {"width beyond 16384", Header(16385, 1, 8).Raw(GreyTable(256)).data, "DIB is invalid"},
        {"negative width", Header(-1, 1, 24).data, "DIB is invalid"},
        {"height of INT_MIN", Header(1, INT32_MIN, 24).data, "DIB is invalid"},
        {"pixels beyond the data", Header(4096, 4096, 32).U32(0).data, "Stream read error"},
        {"more pixels than a load may hold",
         Header(16384, 16384, 8, 1, 2, 1).U32(0).U16(0x0100).data, "DIB is invalid"},
        {"RLE size beyond the data", Header(4, 4, 8, 1, 0x7FFFFFFF, 1).U32(0).U16(0x0100).data,
         "Stream read error"},
        {"colour table cut", Header(1, 1, 8).Raw(GreyTable(10)).data, "Stream read error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorOf(c.bytes), c.message);
    }
}

TEST(DibTest, AFailedReadKeepsThePreviousBitmap) {
    TDIB dib = TDIB::FromPixels(2, 1, {0x123456, 0x654321});
    std::vector<std::uint8_t> bad = Header(1, 1, 2).Raw(GreyTable(4)).U32(0).data;
    TMemoryView stream(bad);
    EXPECT_THROW(dib.ReadBitmapData(stream), EAssetError);
    EXPECT_EQ(dib.Pixels(), (std::vector<std::uint32_t>{0x123456, 0x654321}));
}

TEST(DibTest, Rle8DecodesRunsEscapesAndOffsets) {
    // 03 05, 00 00, 00 02 01 01, 02 07, 00 01 on 4 x 3.
    std::vector<std::uint8_t> rle = {3, 5, 0, 0, 0, 2, 1, 1, 2, 7, 0, 1};
    TDIB dib = ReadDib(Rle8(4, 3, rle, static_cast<std::uint32_t>(rle.size())));
    EXPECT_EQ(dib.Compression(), 1);
    EXPECT_EQ(GreyRows(dib), (std::vector<std::uint32_t>{5, 5, 5, 0, 0, 0, 0, 0, 0, 7, 7, 0}));
    dib.ExpandImage(); // decoded once, then plain pixels
    EXPECT_EQ(dib.Compression(), 0);
    EXPECT_EQ(GreyRows(dib), (std::vector<std::uint32_t>{5, 5, 5, 0, 0, 0, 0, 0, 0, 7, 7, 0}));

    // An absolute block of odd length is followed by one skipped byte.
    std::vector<std::uint8_t> absolute = {0, 3, 10, 11, 12, 0xEE, 1, 13, 0, 1};
    TDIB block = ReadDib(Rle8(4, 1, absolute, static_cast<std::uint32_t>(absolute.size())));
    EXPECT_EQ(GreyRows(block), (std::vector<std::uint32_t>{10, 11, 12, 13}));
}

TEST(DibTest, DamagedRleDataIsClippedToTheBitmap) {
    struct Case {
        const char* name;
        int bits;
        std::vector<std::uint8_t> rle;
        std::vector<std::uint32_t> rows; // indices, bottom row first, 4 x 2
        bool sizeZero = false;
    };
    const Case cases[] = {
        {"run past the row", 8, {10, 7, 0, 0, 1, 9, 0, 1}, {7, 7, 7, 7, 9, 0, 0, 0}},
        {"run past the row does not wrap", 8, {10, 7, 1, 9, 0, 1}, {7, 7, 7, 7, 0, 0, 0, 0}},
        {"absolute block longer than the data", 8, {0, 8, 1, 2}, {1, 2, 0, 0, 0, 0, 0, 0}},
        {"absolute block past the row", 8, {0, 6, 1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 0, 0, 0, 0}},
        {"offset past the bitmap", 8, {0, 2, 255, 255, 2, 9, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"offset cut short", 8, {1, 3, 0, 2, 1}, {3, 0, 0, 0, 0, 0, 0, 0}},
        {"rows past the bitmap", 8, {0, 0, 0, 0, 0, 0, 3, 3, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"no end of bitmap", 8, {2, 4}, {4, 4, 0, 0, 0, 0, 0, 0}},
        {"odd trailing byte", 8, {2, 4, 1}, {4, 4, 0, 0, 0, 0, 0, 0}},
        {"size 0 runs to the end of the data",
         8,
         {1, 6, 0, 0, 4, 2, 0, 1},
         {6, 0, 0, 0, 2, 2, 2, 2},
         true},
        {"RLE4 run alternates nibbles", 4, {3, 0x12, 0, 1}, {1, 2, 1, 0, 0, 0, 0, 0}},
        {"RLE4 run past the row", 4, {9, 0x12, 0, 0, 1, 0x30, 0, 1}, {1, 2, 1, 2, 3, 0, 0, 0}},
        {"RLE4 absolute keeps the other nibble",
         4,
         {1, 0x50, 0, 3, 0x67, 0x80, 0, 1},
         {5, 6, 7, 8, 0, 0, 0, 0}},
        {"RLE4 absolute longer than the data", 4, {0, 7, 0x12}, {1, 2, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int entries = 1 << c.bits;
        std::vector<std::uint8_t> bytes = Bytes()
                                              .Raw(Header(4, 2, c.bits, c.bits == 8 ? 1 : 2,
                                                          c.sizeZero ? 0 : c.rle.size(), entries))
                                              .Raw(GreyTable(entries))
                                              .Raw(c.rle)
                                              .data;
        TDIB dib = ReadDib(bytes);
        EXPECT_EQ(GreyRows(dib), c.rows);
    }
}

TEST(DibTest, CopyBlockLeavesPixelsOutsideThePictureAlone) {
    TDIB dib = TDIB::FromPixels(2, 2, {1, 2, 3, 4});
    std::vector<std::uint32_t> target(9, 0xAA);
    dib.CopyBlock(-1, 1, 3, 3, {target.data(), 3, 3, 3});
    EXPECT_EQ(target, (std::vector<std::uint32_t>{0xAA, 3, 4, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
}

TEST(DibTest, CopiesKeepTheirPixelsWhenOneIsExpanded) {
    std::vector<std::uint8_t> rle = {2, 9, 0, 1};
    TDIB first = ReadDib(Rle8(2, 1, rle, 4));
    TDIB second = first;
    first.ExpandImage();
    EXPECT_EQ(second.Compression(), 1);
    EXPECT_EQ(GreyRows(second), GreyRows(first));
}

TEST(DibTest, ColoursBecomeSurfacePixels) {
    EXPECT_EQ(ColorToSurfacePixel(0x00332211), 0x112233u);
    EXPECT_EQ(ColorToSurfacePixel(0xFF000005), 0xFFFFFFu); // the window colour
    EXPECT_EQ(ColorToSurfacePixel(0xFF00000F), 0xF0F0F0u); // the button face
    EXPECT_EQ(ColorToSurfacePixel(0x1FFFFFFF), 0xFFFFFFu); // clNone
}
