// Software surfaces of the display: 32-bit 0x00RRGGBB pixels, the colour-keyed
// block draw with its clipping rules, and the canvas that writes text and
// rectangles on a surface.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/Geometry.h"
#include "platform/Platform.h"

class TDIB;
class TDirectDrawSurface;

// A colour as the game states it: 0x00BBGGRR, or a system colour 0xFF0000nn.
using TColor = std::uint32_t;

constexpr TColor RGBColor(int red, int green, int blue) {
    return static_cast<TColor>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;

// The surface pixel (0x00RRGGBB) of a colour; system colours take the
// desktop's current value of that number.
std::uint32_t ColorToPixel(TColor color);

enum TBrushStyle { bsSolid, bsClear };
enum TPenStyle { psSolid, psClear };

struct TFontStyles {
    bool Bold = false;
    bool Italic = false;
    bool operator==(const TFontStyles&) const = default;
};

struct TFont {
    std::string Name = "MS Sans Serif"; // cp1251; resolved by the font rasterizer
    int Size = 8;                       // Windows points at 96 dpi
    TColor Color = clBlack;
    TFontStyles Style;
};

struct TBrush {
    TBrushStyle Style = bsSolid;
    TColor Color = clWhite;
};

struct TPen {
    TPenStyle Style = psSolid;
    TColor Color = clBlack;
    int Width = 1;
};

// The drawing context of one surface. Texts are code page 1251 and are drawn
// by the rasterizer the shell installs; with none installed, text draws
// nothing and measures 0. Everything is clipped to the surface.
class TCanvas {
public:
    explicit TCanvas(TDirectDrawSurface& surface) : surface_(surface) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TFont Font;
    TBrush Brush;
    TPen Pen;

    // (X, Y) is the top-left of the text cell. With a solid brush the cell is
    // filled with the brush colour first.
    void TextOut(int X, int Y, std::string_view Text);
    int TextWidth(std::string_view Text);
    int TextHeight(std::string_view Text);
    // Outline with the pen (left/top inclusive, right/bottom exclusive, a wider
    // pen centred on that outline); the inside is filled by a solid brush.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void FillRect(const TRect& rect); // with the brush colour, whatever its style
    // Gives the drawing context back; drawing again takes it anew.
    void Release() { handleTaken_ = false; }
    bool HandleTaken() const { return handleTaken_; }

    static void SetFontRasterizer(platform::IFontRasterizer* rasterizer);
    static platform::IFontRasterizer* FontRasterizer();

private:
    platform::TextStyle Style() const;
    TDirectDrawSurface& surface_;
    bool handleTaken_ = false;
};

// One surface. A colour-keyed surface keeps, per row, the runs of pixels that
// are not the key; they are rebuilt after any write through Pixels()/View(),
// so keyed draws copy only opaque runs and never test pixels one by one.
//
// A frame that starts with Fill and then repeats the last frame's opaque
// draws over the whole surface (a still background) rewrites only what was
// drawn over it since: the surface remembers those draws and the parts
// written after them. Anything else it cannot vouch for makes it draw the
// whole frame again, so every read sees exactly what the draws say.
class TDirectDrawSurface {
public:
    TDirectDrawSurface();
    TDirectDrawSurface(int width, int height);
    ~TDirectDrawSurface();
    TDirectDrawSurface(const TDirectDrawSurface&) = delete;
    TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    TRect ClientRect() const { return TRect{0, 0, width_, height_}; }

    // Resizes; every pixel becomes 0. Negative sizes count as 0.
    void SetSize(int width, int height);
    // Resizes and leaves the pixels as they happen to be, for a caller that
    // writes every one of them next (saves a pass over large pictures).
    void SetSizeForOverwrite(int width, int height);

    // Writable access to the pixels (row-major, pitch = Width()).
    std::uint32_t* Pixels();
    const std::uint32_t* Pixels() const;
    platform::PixelView View();
    std::uint32_t Pixel(int x, int y) const; // 0 outside
    // Writable access for a caller that then reports with MarkWritten what it
    // changed (everything it may have changed), instead of the whole surface.
    platform::PixelView ViewForWrite();
    void MarkWritten(const TRect& rect);
    // The finished picture, to show it; reading it changes nothing.
    platform::PixelView FrameView() const;
    // Numbers the finished picture as the next one shown and tells where it
    // may differ from the one numbered before: after one Fill over the same
    // still background, what was drawn over that in either frame.
    platform::FrameChanges TakeChanges();

    // Draws from now on into `memory` owned by someone else (the window's
    // own pixels, say), or back into the surface's own pixels when `memory`
    // is empty or not of this size with pitch == Width(). Coming from its own
    // pixels the picture is copied along; coming from lent memory, which may
    // be gone by now, it is never read and the surface reads as filled with
    // 0. The lender keeps the memory alive until it is replaced here.
    void UseMemory(platform::PixelView memory);
    void SetPixel(int x, int y, std::uint32_t pixel);

    // Fills the whole surface with a surface pixel value (0x00RRGGBB). The
    // fill is deferred row by row: pixels that opaque draws cover before
    // anyone looks are never written twice (a full-screen background makes
    // the fill free); every read sees the filled surface.
    void Fill(std::uint32_t pixel);

    // The canvas, created on first use; it lives as long as the surface.
    TCanvas& Canvas();

    // The source colour key used when this surface is drawn with Transparent.
    void SetTransparentColor(std::uint32_t pixel);
    std::uint32_t TransparentColor() const { return key_; }

    // Copies SrcRect of Source to (X, Y) on this surface, leaving out the key
    // colour of Source when Transparent is set. Nothing happens when Source is
    // null or lost, this surface is lost, or X / Y lie beyond the right /
    // bottom edge. Both rectangles are clipped against both surfaces.
    void Draw(int X, int Y, const TRect& SrcRect, const TDirectDrawSurface* Source,
              bool Transparent);

    // Lost surfaces (a mode switch took the display memory): drawing onto or
    // from them does nothing until Restore.
    bool IsLost() const { return lost_; }
    void MarkLost() {
        Forget();
        lost_ = true;
    }
    bool Restore();

    // Builds the keyed runs now rather than on the next keyed draw.
    void PrepareKeyedRuns() const;

    // Whether the last Fill could keep the picture of the frame before and
    // rewrite only what changed (for tests and benchmarks).
    bool KeptLastFrame() const { return keptLastFrame_; }

private:
    struct Runs;
    // An opaque draw of the frame's still base, clipped.
    struct BaseDraw {
        const TDirectDrawSurface* source;
        std::uint64_t sourceVersion;
        TRect dest;
        int srcLeft;
        int srcTop;
        bool operator==(const BaseDraw&) const = default;
    };
    // Which 16-pixel blocks of each row were written after the base.
    struct Written {
        int words = 0; // per row
        bool all = false;
        std::vector<std::uint64_t> bits;
        void Reset(int width, int height);
        void Mark(const TRect& rect, int width, int height);
        bool MostlyClear(int width) const;
    };

    void ResolveFill() const; // writes what is left of a deferred fill
    // Settles a kept frame and a deferred fill: the pixels are then exactly
    // what the draws so far say.
    void Settle() const;
    void EndBase() const;          // the still base is over for this frame
    void RedrawBaseInFull() const; // the kept frame cannot be used after all
    void Changed();                // before the pixels change
    void Forget() const;           // the pixels are not the last frame's any more
    void CopyOpaque(const BaseDraw& draw) const;
    void CopyOpaqueWhereWritten(const BaseDraw& draw) const;
    // Before a draw writes [left, right) of row y (all of it when `opaque`).
    void CoverRow(int y, int left, int right, bool opaque) const;
    void CoverRows(int top, int bottom, int left, int right) const; // opaque [left, right)

    int width_ = 0;
    int height_ = 0;
    // Default-initialising, so that SetSizeForOverwrite skips the zero fill.
    template <class T> struct NoFillAllocator : std::allocator<T> {
        template <class U> struct rebind { using other = NoFillAllocator<U>; };
        template <class U> void construct(U* place) { ::new (static_cast<void*>(place)) U; }
        template <class U, class... Args> void construct(U* place, Args&&... args) {
            ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
        }
    };
    // Mutable for the deferred fill, which reads as already done.
    mutable std::vector<std::uint32_t, NoFillAllocator<std::uint32_t>> pixels_;
    std::uint32_t* data_ = nullptr; // pixels_ or lent memory (UseMemory)
    mutable bool fillPending_ = false;
    std::uint32_t fillPixel_ = 0;
    mutable int pendingRows_ = 0; // rows not yet final
    // Per row while a fill is pending: the leading pixels already final.
    mutable std::vector<int> coveredTo_;
    std::uint32_t key_ = 0;
    bool lost_ = false;
    std::unique_ptr<TCanvas> canvas_;
    mutable std::unique_ptr<Runs> runs_; // null while stale

    // With the address, names these pixels: it changes after every write.
    std::uint64_t Version() const;
    mutable std::uint64_t version_ = 0;
    mutable bool versionStale_ = false;
    // Drawn from as a base: a change or the end must settle kept frames first.
    mutable std::atomic<bool> baseSource_{false};
    // This frame's base draws, and the last frame's.
    mutable std::vector<BaseDraw> base_;
    std::vector<BaseDraw> lastBase_;
    mutable bool inBase_ = false;    // only base draws since Fill
    mutable bool keeping_ = false;   // base draws so far matched: only written parts redrawn
    mutable bool baseWhole_ = false; // the last base covered the whole surface
    mutable Written written_;        // this frame, after its base
    mutable Written lastWritten_;    // grows by what a kept base copies beyond it
    bool keptLastFrame_ = false;
    bool lastBaseWhole_ = false; // baseWhole_ of the frame before the last Fill
    int fillsSinceTaken_ = 0;
    std::uint64_t frameNumber_ = 0; // of the last TakeChanges
    std::vector<std::uint64_t> changes_;
};

// Sizes `surface` to `rect` and copies that rectangle of `dib` onto it.
void CopyBlockToSurface(TDirectDrawSurface& surface, TDIB& dib, const TRect& rect);
// The pixel value `color` becomes on `surface` (the colour key of an item).
std::uint32_t SurfaceColorOf(const TDirectDrawSurface& surface, TColor color);
