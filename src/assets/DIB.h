// Device-independent bitmaps as the image archives store them: reading the
// stored layout, expanding RLE data, and copying blocks out as 32-bit pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Platform.h"

class TStream;

// What pictures may claim, so that a damaged or hostile file cannot make the
// game reserve more than it can hold. An archive load draws all its pictures
// from one pixel budget: each pixel costs at most 4 bytes decoded and 4 bytes
// on its surface, so a whole archive stays within 256 MiB.
inline constexpr std::int64_t kMaxPictureSide = 16384;
inline constexpr std::int64_t kArchivePixelBudget = std::int64_t{1} << 25; // 32 Mi pixels

struct TPixelBudget {
    std::int64_t pixels = kArchivePixelBudget; // still free for the next pictures
};

class TDIB {
public:
    TDIB();
    TDIB(const TDIB& other); // shares the pixels until one side changes
    TDIB& operator=(const TDIB& other);
    TDIB(TDIB&& other) noexcept;
    TDIB& operator=(TDIB&& other) noexcept;
    ~TDIB();

    // A 24-bit picture from 0x00RRGGBB pixels, top row first (for tests and
    // tools). Throws EDIBError when the pixel count is not width x height or
    // the size is out of range.
    static TDIB FromPixels(int width, int height, const std::vector<std::uint32_t>& pixels);

    int Width() const;
    int Height() const;
    int BitCount() const;
    // 0 none, 1 RLE8 or 2 RLE4 while still encoded, 3 bit fields (16, 32 bits).
    int Compression() const;
    // Channel widths of 16-bit pictures (5-5-5 or 5-6-5); 8-8-8 otherwise.
    int RedBits() const;
    int GreenBits() const;
    int BlueBits() const;
    bool Empty() const; // size 0

    // The colour table: 2^BitCount entries 0x00RRGGBB for 8 bits or less,
    // empty above.
    std::vector<std::uint32_t> ColorTable() const;

    // Reads the stored layout from the stream's position and replaces the
    // bitmap; on failure throws (EDIBError, EStreamError) and keeps the
    // previous bitmap. A picture larger than what is left of `budget` fails
    // with "DIB is invalid" before anything of its size is reserved; the
    // pixels read are taken from the budget.
    void ReadBitmapData(TStream& stream, TPixelBudget& budget);
    void ReadBitmapData(TStream& stream); // a budget of its own

    // Decodes RLE data now (it is otherwise decoded on first use). Damaged
    // RLE data never fails: what cannot be placed is dropped.
    void ExpandImage();

    // Copies the rectangle (x, y, width, height) of the picture into `target`
    // as 0x00RRGGBB, the picture's top row onto the target's top row. Expands
    // RLE data on first use. Pixels outside the picture are left untouched.
    void CopyBlock(int x, int y, int width, int height, platform::PixelView target);

    // The whole picture as 0x00RRGGBB, top row first (RLE data is decoded
    // for the copy and stays encoded in this object).
    std::vector<std::uint32_t> Pixels() const;

    struct Shared; // the reference-counted in-memory bitmap, never changed once shared
private:
    std::shared_ptr<const Shared> image_;
};

// A stored colour (RGB as 0x00BBGGRR, or a system colour 0xFF0000nn) as the
// 32-bit surface pixel 0x00RRGGBB it becomes. System colours take the
// desktop's standard colour of that number.
std::uint32_t ColorToSurfacePixel(std::uint32_t color);
