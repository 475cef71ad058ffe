// Scaling the 800 x 600 picture for a full screen drawn on the processor.
// Both scalers write every pixel of the destination box once, in address
// order, with ordinary stores, and never touch the bars around it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Platform.h"

namespace platform {

// Every source pixel becomes `scale` x `scale` destination pixels: each row
// is widened once and copied `scale` times. `destination` must hold
// source.width * scale x source.height * scale pixels.
void ScaleWhole(PixelView source, PixelView destination, int scale);

// Scales to any size with the aspect the caller chose, filtering linearly
// by how much of each destination pixel every source pixel covers: pixels
// inside one source pixel are copied, those on a seam between two are mixed
// in proportion, so no column or row comes out wider than its neighbours.
// Keeps its column tables and row buffers between calls of the same size.
class AreaScaler {
public:
    void Scale(PixelView source, PixelView destination);

    // Eight destination columns fed from eight neighbouring source pixels
    // starting at `base` (for the vector path).
    struct Group {
        int base;
        std::int32_t first[8];
        std::int32_t next[8];
        std::uint16_t weights[32]; // per channel, in the order the unpacks use
    };

private:
    struct Tap {
        int index;            // first source pixel
        int next;             // the one mixed in (index itself when weight is 0)
        std::uint32_t weight; // of the next one, 0..256
    };
    void Prepare(int sourceWidth, int sourceHeight, int width, int height);
    void WidenRow(const std::uint32_t* source, std::uint32_t* row) const;

    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::vector<Tap> columns_;
    std::vector<Tap> rows_;
    std::vector<std::uint16_t> weights_; // columns_' weights, four a pixel
    std::vector<Group> groups_;
    std::vector<std::uint32_t> upper_; // the widened rows being mixed
    std::vector<std::uint32_t> lower_;
    int upperRow_ = -1;
    int lowerRow_ = -1;
};

} // namespace platform
