#include "engine/Surface.h"

#include <algorithm>
#include <cstring>

#include "assets/DIB.h"

namespace {

// Stores `count` copies of `pixel` with ordinary 16-byte stores (a plain loop
// is left scalar at -O2; a large memset may turn into streaming stores).
inline void FillPixels(std::uint32_t* target, int count, std::uint32_t pixel) {
    const std::uint32_t four[4] = {pixel, pixel, pixel, pixel};
    while (count >= 4) {
        std::memcpy(target, four, 16);
        target += 4;
        count -= 4;
    }
    while (count > 0) {
        *target++ = pixel;
        --count;
    }
}

} // namespace

std::uint32_t ColorToPixel(TColor color) {
    if ((color & 0xFF000000u) != 0) {
        return ColorToSurfacePixel(color);
    }
    return ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

// ----------------------------------------------------------------- TCanvas

namespace {

platform::IFontRasterizer*& RasterizerSlot() {
    static platform::IFontRasterizer* rasterizer = nullptr;
    return rasterizer;
}

} // namespace

void TCanvas::SetFontRasterizer(platform::IFontRasterizer* rasterizer) {
    RasterizerSlot() = rasterizer;
}

platform::IFontRasterizer* TCanvas::FontRasterizer() {
    return RasterizerSlot();
}

platform::TextStyle TCanvas::Style() const {
    platform::TextStyle style;
    style.fontName = Font.Name;
    style.sizePoints = Font.Size;
    style.bold = Font.Style.Bold;
    style.italic = Font.Style.Italic;
    style.color = ColorToPixel(Font.Color);
    return style;
}

void TCanvas::TextOut(int X, int Y, std::string_view Text) {
    handleTaken_ = true;
    platform::IFontRasterizer* rasterizer = FontRasterizer();
    if (rasterizer == nullptr || Text.empty()) {
        return;
    }
    const platform::TextStyle style = Style();
    if (Brush.Style == bsSolid) {
        FillRect(
            Bounds(X, Y, rasterizer->TextWidth(Text, style), rasterizer->TextHeight(Text, style)));
    }
    rasterizer->DrawText(surface_.View(), X, Y, Text, style);
}

int TCanvas::TextWidth(std::string_view Text) {
    handleTaken_ = true;
    platform::IFontRasterizer* rasterizer = FontRasterizer();
    return rasterizer != nullptr ? rasterizer->TextWidth(Text, Style()) : 0;
}

int TCanvas::TextHeight(std::string_view Text) {
    handleTaken_ = true;
    platform::IFontRasterizer* rasterizer = FontRasterizer();
    return rasterizer != nullptr ? rasterizer->TextHeight(Text, Style()) : 0;
}

void TCanvas::FillRect(const TRect& rect) {
    handleTaken_ = true;
    const TRect clipped{std::max(rect.Left, 0), std::max(rect.Top, 0),
                        std::min(rect.Right, surface_.Width()),
                        std::min(rect.Bottom, surface_.Height())};
    if (clipped.Empty()) {
        return;
    }
    const std::uint32_t pixel = ColorToPixel(Brush.Color);
    std::uint32_t* pixels = surface_.Pixels();
    for (int y = clipped.Top; y < clipped.Bottom; ++y) {
        std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * surface_.Width();
        FillPixels(row + clipped.Left, clipped.Right - clipped.Left, pixel);
    }
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    handleTaken_ = true;
    if (Brush.Style == bsSolid) {
        FillRect(TRect{X1, Y1, X2, Y2});
    }
    if (Pen.Style == psClear || Pen.Width <= 0 || X2 <= X1 || Y2 <= Y1) {
        return;
    }
    const TBrush brush = Brush;
    Brush.Color = Pen.Color;
    // The outline runs through the first and the last pixel of each side; a
    // wider pen grows to both sides of it.
    const int w = Pen.Width;
    const int o = w / 2;
    const int left = X1 - o;
    const int right = X2 - 1 - o + w;
    FillRect(TRect{left, Y1 - o, right, Y1 - o + w});           // top
    FillRect(TRect{left, Y2 - 1 - o, right, Y2 - 1 - o + w});   // bottom
    FillRect(TRect{left, Y1 - o, left + w, Y2 - 1 - o + w});    // left
    FillRect(TRect{X2 - 1 - o, Y1 - o, right, Y2 - 1 - o + w}); // right
    Brush = brush;
}

// ------------------------------------------------------ TDirectDrawSurface

// Per row, the runs of pixels that differ from the key: spans[rowStart[y] ..
// rowStart[y + 1]) in ascending order.
struct TDirectDrawSurface::Runs {
    struct Span {
        std::int32_t start;
        std::int32_t length;
    };
    std::vector<std::uint32_t> rowStart;
    std::vector<Span> spans;
    bool noKey = false; // not one pixel is the key: every row is one full run
};

TDirectDrawSurface::TDirectDrawSurface() = default;

TDirectDrawSurface::TDirectDrawSurface(int width, int height) {
    SetSize(width, height);
}

TDirectDrawSurface::~TDirectDrawSurface() = default;

void TDirectDrawSurface::SetSize(int width, int height) {
    SetSizeForOverwrite(width, height);
    std::fill(pixels_.begin(), pixels_.end(), 0u);
}

void TDirectDrawSurface::SetSizeForOverwrite(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (width_ == 0 || height_ == 0) {
        width_ = height_ = 0;
    }
    pixels_.clear();
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    data_ = pixels_.data();
    fillPending_ = false;
    runs_.reset();
}

void TDirectDrawSurface::UseMemory(platform::PixelView memory) {
    const bool lend = memory.pixels != nullptr && memory.width == width_ &&
                      memory.height == height_ && memory.pitch == width_;
    std::uint32_t* next = lend ? memory.pixels : pixels_.data();
    if (next == data_) {
        return;
    }
    const bool ownBefore = data_ == pixels_.data();
    if (ownBefore) {
        // The picture moves along, so a later read or present sees no change.
        ResolveFill();
        std::memcpy(next, data_, pixels_.size() * sizeof(std::uint32_t));
        data_ = next;
    } else {
        // The memory lent before may be gone already: never read it.
        data_ = next;
        Fill(0);
    }
    runs_.reset();
}

std::uint32_t* TDirectDrawSurface::Pixels() {
    ResolveFill();
    runs_.reset();
    return data_;
}

const std::uint32_t* TDirectDrawSurface::Pixels() const {
    ResolveFill();
    return data_;
}

platform::PixelView TDirectDrawSurface::View() {
    return platform::PixelView{Pixels(), width_, height_, width_};
}

std::uint32_t TDirectDrawSurface::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0;
    }
    ResolveFill();
    return data_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

void TDirectDrawSurface::SetPixel(int x, int y, std::uint32_t pixel) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    Pixels()[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
             static_cast<std::size_t>(x)] = pixel;
}

void TDirectDrawSurface::Fill(std::uint32_t pixel) {
    if (lost_) {
        return;
    }
    fillPending_ = height_ > 0;
    fillPixel_ = pixel;
    pendingRows_ = height_;
    coveredTo_.assign(static_cast<std::size_t>(height_), 0);
    runs_.reset();
}

void TDirectDrawSurface::ResolveFill() const {
    if (!fillPending_) {
        return;
    }
    fillPending_ = false;
    const std::uint32_t pixel = fillPixel_; // a local: the stores cannot alias it
    // Row by row with ordinary stores: one large fill would become a
    // streaming memset that pushes the frame out of the cache.
    for (int y = 0; y < height_; ++y) {
        const int from = coveredTo_[static_cast<std::size_t>(y)];
        if (from < width_) {
            std::uint32_t* row = data_ + static_cast<std::ptrdiff_t>(y) * width_;
            if (pixel == 0) {
                std::memset(row + from, 0, static_cast<std::size_t>(width_ - from) * 4);
            } else {
                FillPixels(row + from, width_ - from, pixel);
            }
        }
    }
}

void TDirectDrawSurface::CoverRow(int y, int left, int right, bool opaque) {
    int& covered = coveredTo_[static_cast<std::size_t>(y)];
    if (covered >= width_) {
        return;
    }
    // Whatever the draw leaves showing must hold the fill: the gap before an
    // opaque span, or everything up to the right end of a keyed one.
    const int fillTo = opaque ? left : right;
    if (fillTo > covered) {
        std::uint32_t* row = data_ + static_cast<std::ptrdiff_t>(y) * width_;
        FillPixels(row + covered, fillTo - covered, fillPixel_);
        covered = fillTo;
    }
    covered = std::max(covered, right);
    if (covered >= width_ && --pendingRows_ == 0) {
        fillPending_ = false; // every row is final: later draws skip all this
    }
}

TCanvas& TDirectDrawSurface::Canvas() {
    if (!canvas_) {
        canvas_ = std::make_unique<TCanvas>(*this);
    }
    return *canvas_;
}

void TDirectDrawSurface::SetTransparentColor(std::uint32_t pixel) {
    if (pixel != key_) {
        key_ = pixel;
        runs_.reset();
    }
    PrepareKeyedRuns();
}

bool TDirectDrawSurface::Restore() {
    lost_ = false;
    return true;
}

void TDirectDrawSurface::PrepareKeyedRuns() const {
    if (runs_) {
        return;
    }
    auto runs = std::make_unique<Runs>();
    runs->rowStart.reserve(static_cast<std::size_t>(height_) + 1);
    for (int y = 0; y < height_; ++y) {
        runs->rowStart.push_back(static_cast<std::uint32_t>(runs->spans.size()));
        const std::uint32_t* row = data_ + static_cast<std::ptrdiff_t>(y) * width_;
        int x = 0;
        while (x < width_) {
            while (x < width_ && row[x] == key_) {
                ++x;
            }
            const int start = x;
            while (x < width_ && row[x] != key_) {
                ++x;
            }
            if (x > start) {
                runs->spans.push_back(Runs::Span{start, x - start});
            }
        }
    }
    runs->rowStart.push_back(static_cast<std::uint32_t>(runs->spans.size()));
    runs->noKey = height_ > 0 && runs->spans.size() == static_cast<std::size_t>(height_) &&
                  std::all_of(runs->spans.begin(), runs->spans.end(),
                              [this](const Runs::Span& span) { return span.length == width_; });
    runs_ = std::move(runs);
}

namespace {

inline void CopyPixels(std::uint32_t* target, const std::uint32_t* source, int count) {
    // Sprites are mostly short runs. Two fixed-size copies that may overlap
    // in the middle cover any length up to 32 pixels without a call or a loop.
    if (count >= 4) {
        if (count <= 8) {
            std::memcpy(target, source, 16);
            std::memcpy(target + count - 4, source + count - 4, 16);
        } else if (count <= 16) {
            std::memcpy(target, source, 32);
            std::memcpy(target + count - 8, source + count - 8, 32);
        } else if (count <= 32) {
            std::memcpy(target, source, 64);
            std::memcpy(target + count - 16, source + count - 16, 64);
        } else {
            std::memcpy(target, source, static_cast<std::size_t>(count) * sizeof(std::uint32_t));
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        target[i] = source[i];
    }
}

} // namespace

void TDirectDrawSurface::Draw(int X, int Y, const TRect& SrcRect, const TDirectDrawSurface* Source,
                              bool Transparent) {
    if (Source == nullptr || X > width_ || Y > height_ || lost_ || Source->lost_) {
        return;
    }
    Source->ResolveFill();
    TRect src = SrcRect;
    TRect dest = Bounds(X, Y, src.Width(), src.Height());
    // Left and top: first against this surface, then against the source.
    if (dest.Left < 0) {
        src.Left -= dest.Left;
        dest.Left = 0;
    }
    if (dest.Top < 0) {
        src.Top -= dest.Top;
        dest.Top = 0;
    }
    if (src.Left < 0) {
        dest.Left -= src.Left;
        src.Left = 0;
    }
    if (src.Top < 0) {
        dest.Top -= src.Top;
        src.Top = 0;
    }
    // Right and bottom, in the same two steps.
    if (dest.Right > width_) {
        src.Right -= dest.Right - width_;
        dest.Right = width_;
    }
    if (dest.Bottom > height_) {
        src.Bottom -= dest.Bottom - height_;
        dest.Bottom = height_;
    }
    if (src.Right > Source->width_) {
        dest.Right -= src.Right - Source->width_;
        src.Right = Source->width_;
    }
    if (src.Bottom > Source->height_) {
        dest.Bottom -= src.Bottom - Source->height_;
        src.Bottom = Source->height_;
    }
    if (src.Empty() || dest.Empty()) {
        return;
    }

    const int rows = src.Height();
    const int columns = src.Width();
    std::uint32_t* target = data_ + static_cast<std::ptrdiff_t>(dest.Top) * width_ + dest.Left;
    runs_.reset();
    const std::uint32_t* source =
        Source->data_ + static_cast<std::ptrdiff_t>(src.Top) * Source->width_ + src.Left;
    const std::ptrdiff_t sourcePitch = Source->width_;
    const std::ptrdiff_t targetPitch = width_;

    // A keyed source without a single key pixel (a background chip) draws
    // exactly like an opaque one, and a whole-row copy is far cheaper than
    // walking its runs.
    const Runs* runs = nullptr;
    if (Transparent) {
        Source->PrepareKeyedRuns();
        runs = Source->runs_.get();
        if (runs->noKey) {
            runs = nullptr;
        }
    }

    if (runs == nullptr) {
        if (fillPending_) {
            for (int y = 0; y < rows; ++y) {
                CoverRow(dest.Top + y, dest.Left, dest.Right, true);
            }
        }
        const std::size_t bytes = static_cast<std::size_t>(columns) * sizeof(std::uint32_t);
        if (Source == this) {
            // Drawing a surface onto itself may overlap; other sources never do.
            for (int y = 0; y < rows; ++y) {
                std::memmove(target + y * targetPitch, source + y * sourcePitch, bytes);
            }
        } else {
            for (int y = 0; y < rows; ++y) {
                std::memcpy(target + y * targetPitch, source + y * sourcePitch, bytes);
            }
        }
        return;
    }

    const int left = src.Left;
    const int right = src.Right;
    const Runs::Span* spans = runs->spans.data();
    const std::uint32_t* rowStart = runs->rowStart.data() + src.Top;
    if (fillPending_) {
        // Settle the deferred fill of every row first; the copies below then
        // run without looking at it again.
        for (int y = 0; y < rows; ++y) {
            const Runs::Span* span = spans + rowStart[y];
            const Runs::Span* end = spans + rowStart[y + 1];
            // Opaque when one run spans the whole clipped row.
            const bool opaque =
                span != end && span->start <= left && span->start + span->length >= right;
            CoverRow(dest.Top + y, dest.Left, dest.Right, opaque);
        }
    }

    if (left == 0 && right == Source->width_) {
        // Not clipped at the sides (most sprites): every run is copied whole.
        for (int y = 0; y < rows; ++y) {
            const Runs::Span* end = spans + rowStart[y + 1];
            for (const Runs::Span* span = spans + rowStart[y]; span != end; ++span) {
                CopyPixels(target + span->start, source + span->start, span->length);
            }
            target += targetPitch;
            source += sourcePitch;
        }
        return;
    }

    for (int y = 0; y < rows; ++y) {
        const Runs::Span* end = spans + rowStart[y + 1];
        for (const Runs::Span* span = spans + rowStart[y]; span != end; ++span) {
            int start = span->start;
            if (start >= right) {
                break;
            }
            int stop = start + span->length;
            if (stop <= left) {
                continue;
            }
            start = std::max(start, left);
            stop = std::min(stop, right);
            CopyPixels(target + (start - left), source + (start - left), stop - start);
        }
        target += targetPitch;
        source += sourcePitch;
    }
}

// ------------------------------------------------------- DIB to surfaces

void CopyBlockToSurface(TDirectDrawSurface& surface, TDIB& dib, const TRect& rect) {
    // A block inside the picture writes every pixel; one reaching past its
    // edge leaves the rest black.
    const bool inside = !dib.Empty() && rect.Left >= 0 && rect.Top >= 0 &&
                        rect.Right <= dib.Width() && rect.Bottom <= dib.Height();
    if (inside) {
        surface.SetSizeForOverwrite(rect.Width(), rect.Height());
    } else {
        surface.SetSize(rect.Width(), rect.Height());
    }
    if (surface.Width() > 0) {
        dib.CopyBlock(rect.Left, rect.Top, rect.Width(), rect.Height(), surface.View());
    }
}

std::uint32_t SurfaceColorOf(const TDirectDrawSurface& surface, TColor color) {
    if (surface.Width() == 0) {
        return 0;
    }
    // Our surfaces are all 0x00RRGGBB, the same conversion the pictures get.
    return ColorToSurfacePixel(color);
}
