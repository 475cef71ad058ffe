// Scaling the 800 x 600 picture for a full screen drawn on the processor.
// Both scalers write every pixel of the destination box once, in address
// order, and never touch the bars around it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Letterbox.h"
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
    // Writes the whole destination box.
    void Scale(PixelView source, PixelView destination);
    // The same picture, written only where it can differ from what the
    // last call wrote into this destination: destination pixels whose
    // source pixels are unchanged since then are left alone (the game's
    // frames change in parts). Returns the boxes written, in destination
    // coordinates; everything at the first call, after Scale or Forget, or
    // for another destination.
    const std::vector<Rect>& ScaleChanges(PixelView source, PixelView destination);
    // The same, where `changes` says what may differ from the frame scaled
    // last: when that frame is the one they count from, only those parts
    // are compared, and parts that changed when last compared are taken on
    // its word for a few frames.
    const std::vector<Rect>& ScaleChanges(PixelView source, PixelView destination,
                                          const FrameChanges& changes);
    // How the destination is written. Streamed past the cache by default:
    // it is never read back here, the screen's copy reads it from another
    // core, and ordinary stores would first fetch every line back from
    // there. Cached, for tests and benchmarks.
    enum class Stores { Cached, Streaming };
    void SetStores(Stores stores) {
        stores_ = stores;
        width_ = 0; // prepared again
    }
    // Leaves out the vector code, for tests that hold it against the plain
    // sums.
    void SetPlain(bool plain) { plain_ = plain; }
    // The destination was overwritten or replaced: the next ScaleChanges
    // writes it whole.
    void Forget() {
        havePrevious_ = false;
        scaled_ = false;
    }

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
    // Widens destination columns [from, to) of a row; `from` is a multiple of 8.
    void Widen(const std::uint32_t* source, std::uint32_t* row, int from, int to) const;
    // Widens the destination columns the source blocks of `blocks` feed.
    void WidenBlocks(const std::uint32_t* source, std::uint32_t* row, std::uint64_t blocks) const;
    // What ScaleRows looks at: nothing (it writes everything), every block,
    // or the blocks changed_ holds already.
    enum class Find { Nothing, All, Marked };
    // Marks in changed_ the blocks of source rows [firstRow, endRow) that
    // differ from previous_, and updates it.
    void FindChanges(PixelView source, Find find, int firstRow, int endRow);
    // Marks in changed_ the blocks that hold a change of `changes`.
    void TakeChanges(const FrameChanges& changes);
    bool SameDestination(PixelView destination) const {
        return destination.pixels == previousDestination_.pixels &&
               destination.pitch == previousDestination_.pitch;
    }
    // Writes every destination row, or, after finding the changes, the
    // blocks of changed_ that feed each row; notes the boxes written in
    // written_.
    void ScaleRows(PixelView source, PixelView destination, Find find);

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
    std::uint64_t upperBlocks_ = 0; // the blocks of each widened row made so far
    std::uint64_t lowerBlocks_ = 0;

    // Changes are found in blocks of source columns, at most 64 a row.
    Stores stores_ = Stores::Streaming;
    bool plain_ = false;
    bool stream_ = false; // the destination box is written past the cache
    int blockWidth_ = 32;
    std::uint64_t allBlocks_ = 0;
    std::vector<int> blockFrom_;         // the destination columns a block feeds,
    std::vector<int> blockTo_;           // widened to multiples of 8
    std::vector<std::uint64_t> changed_; // per source row
    // Per source row: the blocks whose marks are taken for changes without
    // comparing (their part of previous_ is stale meanwhile), and for how
    // many more frames.
    static constexpr std::uint8_t kTrustedFrames = 8;
    std::vector<std::uint64_t> trusted_;
    std::vector<std::uint8_t> trustLeft_;
    std::vector<std::uint32_t> previous_; // the source last scaled by ScaleChanges
    bool havePrevious_ = false;           // previous_ holds what was scaled last
    bool scaled_ = false;                 // previousDestination_ holds its scale
    std::uint64_t scaledFrame_ = 0;       // its number, 0: not numbered
    PixelView previousDestination_{};
    std::vector<Rect> written_;
};

} // namespace platform
