// Writing image and sound archives in exactly the layout the readers take:
// container header (resource name in capitals, flags 0x1030, stream size),
// "TPF0" component stream, items with their properties in the stored order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One picture item. Pixels are 0x00RRGGBB, top row first, Width x Height.
// Stored as 8 bits per pixel (RLE8 where that is smaller) when the picture
// has at most 256 colours, else 24 bits (BitCount may ask for 32).
struct ImageItemSpec {
    std::string Name; // code page 1251
    int Width = 0, Height = 0;
    std::vector<std::uint32_t> Pixels;
    int PatternWidth = 0, PatternHeight = 0, SkipWidth = 0, SkipHeight = 0;
    bool SystemMemory = false, Transparent = true;
    std::uint32_t TransparentColor = 0; // a stored colour 0x00BBGGRR
    // 0: chosen as above; 24 or 32: that many bits per pixel.
    int BitCount = 0;
    // When not empty, stored as the picture as it stands (a bitmap in the
    // stored layout, without the 14-byte "BM" file header) instead of Pixels.
    std::vector<std::uint8_t> DibData;
};

// Throws EAssetError when the file cannot be written or an item is
// inconsistent (pixel count not Width x Height, name longer than 255 bytes).
void WriteImageArchive(const std::string& path, const std::vector<ImageItemSpec>& items);
std::vector<std::uint8_t> ImageArchiveBytes(const std::vector<ImageItemSpec>& items);

// One sound effect item. The wave is PCM described by Channels, SamplesPerSec
// and BitsPerSample, unless Format holds a raw format record (any format,
// written as given).
struct WaveItemSpec {
    std::string Name; // code page 1251
    bool Looped = false;
    int MaxPlayingCount = 0; // 0: no limit
    std::uint16_t Channels = 1;
    std::uint32_t SamplesPerSec = 22050;
    std::uint16_t BitsPerSample = 16;
    std::vector<std::uint8_t> Format; // raw format record; overrides the three above
    std::vector<std::uint8_t> Data;   // the sample bytes
};

void WriteSoundArchive(const std::string& path, const std::vector<WaveItemSpec>& items);
std::vector<std::uint8_t> SoundArchiveBytes(const std::vector<WaveItemSpec>& items);

// A RIFF WAVE image of a format record and sample bytes ("fmt " chunk left
// out when `format` is empty).
std::vector<std::uint8_t> MakeWaveImage(const std::vector<std::uint8_t>& format,
                                        const std::vector<std::uint8_t>& data);

// Bitmaps in the stored layout (no file header), for writers and tests.
struct DibEncoding {
    int BitCount = 8;         // 1, 4, 8, 16, 24 or 32
    int Compression = 0;      // 0 none, 1 RLE8 (8 bits), 2 RLE4 (4 bits), 3 bit fields (16, 32)
    bool Green6 = false;      // 16 bits with bit fields: 5-6-5 instead of 5-5-5
    bool TopDown = false;     // negative height, top row stored first
    bool ShortHeader = false; // the 12-byte header (no compression)
};
// Encodes the pixels (0x00RRGGBB, top row first). Indexed encodings build
// their colour table from the picture's colours and throw EAssetError when
// there are more than the bit count can index; 16 bits drop the low bits.
// The number of distinct colours in `pixels`, counting stops at `limit`.
std::size_t CountColors(const std::vector<std::uint32_t>& pixels, std::size_t limit);

std::vector<std::uint8_t> EncodeDib(int width, int height, const std::vector<std::uint32_t>& pixels,
                                    const DibEncoding& encoding);
