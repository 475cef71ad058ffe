// Device-independent bitmaps as the image archives store them: reading the
// stored layout, expanding RLE data, and copying blocks out as 32-bit pixels.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Platform.h"

class TStream;

class TDIB {
public:
    TDIB();
    TDIB(const TDIB& other);             // shares the pixels until one side changes
    TDIB& operator=(const TDIB& other);
    ~TDIB();

    int Width() const;
    int Height() const;
    int BitCount() const;
    bool Empty() const;  // size 0

    // Reads the stored layout from the stream's position and replaces the
    // bitmap; on failure throws and keeps the previous bitmap.
    void ReadBitmapData(TStream& stream);

    // Copies the rectangle (x, y, width, height) of the picture into `target`
    // as 0x00RRGGBB, the picture's top row onto the target's top row. Expands
    // RLE data on first use. Pixels outside the picture are left untouched.
    void CopyBlock(int x, int y, int width, int height, platform::PixelView target);

    struct Shared;  // the reference-counted in-memory bitmap
private:
    std::shared_ptr<Shared> image_;
};

// A stored colour (RGB as 0x00BBGGRR, or a system colour 0xFF0000nn) as the
// 32-bit surface pixel 0x00RRGGBB it becomes.
std::uint32_t ColorToSurfacePixel(std::uint32_t color);
