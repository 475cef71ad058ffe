#include "engine/Surface.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>
#include <vector>

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
    const platform::PixelRect drawn =
        rasterizer->DrawText(surface_.ViewForWrite(), X, Y, Text, style);
    surface_.MarkWritten(TRect{drawn.left, drawn.top, drawn.right, drawn.bottom});
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
    std::uint32_t* pixels = surface_.ViewForWrite().pixels;
    surface_.MarkWritten(clipped);
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

namespace {

std::uint64_t NextVersion() {
    static std::atomic<std::uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

// Surfaces in the middle of a kept frame. Pictures convert on two threads,
// so a change to a base source settles them under the lock.
std::recursive_mutex& KeepersLock() {
    static std::recursive_mutex lock;
    return lock;
}

std::vector<const TDirectDrawSurface*>& Keepers() {
    static std::vector<const TDirectDrawSurface*> keepers;
    return keepers;
}

void DropKeeper(const TDirectDrawSurface* surface) {
    std::vector<const TDirectDrawSurface*>& keepers = Keepers();
    keepers.erase(std::remove(keepers.begin(), keepers.end(), surface), keepers.end());
}

constexpr int kBlockShift = 4; // written parts are tracked in blocks of 16 pixels

} // namespace

TDirectDrawSurface::TDirectDrawSurface() : version_(NextVersion()) {}

TDirectDrawSurface::TDirectDrawSurface(int width, int height) : version_(NextVersion()) {
    SetSize(width, height);
}

TDirectDrawSurface::~TDirectDrawSurface() {
    Changed(); // a kept frame drawing from this one settles while it still can
    if (keeping_) {
        std::lock_guard<std::recursive_mutex> lock(KeepersLock());
        DropKeeper(this);
    }
}

void TDirectDrawSurface::Written::Reset(int width, int height) {
    words = ((width + (1 << kBlockShift) - 1) >> kBlockShift) / 64 + 1;
    all = false;
    bits.assign(static_cast<std::size_t>(words) * static_cast<std::size_t>(height), 0);
}

bool TDirectDrawSurface::Written::MostlyClear(int width) const {
    std::size_t blocks = 0;
    for (const std::uint64_t word : bits) {
        blocks += static_cast<std::size_t>(std::popcount(word));
    }
    const std::size_t rows = words > 0 ? bits.size() / static_cast<std::size_t>(words) : 0;
    const std::size_t perRow =
        static_cast<std::size_t>((width + (1 << kBlockShift) - 1) >> kBlockShift);
    return 5 * blocks <= 2 * perRow * rows; // at most 40 %
}

void TDirectDrawSurface::Written::Mark(const TRect& rect, int width, int height) {
    const int left = std::max(rect.Left, 0);
    const int top = std::max(rect.Top, 0);
    const int right = std::min(rect.Right, width);
    const int bottom = std::min(rect.Bottom, height);
    if (all || left >= right || top >= bottom) {
        return;
    }
    const int first = left >> kBlockShift;
    const int last = (right - 1) >> kBlockShift;
    const int firstWord = first / 64;
    const int lastWord = last / 64;
    const auto mask = [first, last](int word) {
        const int from = std::max(first, word * 64) - word * 64;
        const int to = std::min(last, word * 64 + 63) - word * 64;
        return (to == 63 ? ~0ULL : (2ULL << to) - 1) & ~((1ULL << from) - 1);
    };
    std::uint64_t* row = bits.data() + static_cast<std::ptrdiff_t>(top) * words;
    if (firstWord == lastWord) { // a sprite narrower than 1024 pixels, nearly always
        const std::uint64_t m = mask(firstWord);
        for (int y = top; y < bottom; ++y, row += words) {
            row[firstWord] |= m;
        }
        return;
    }
    for (int y = top; y < bottom; ++y, row += words) {
        for (int word = firstWord; word <= lastWord; ++word) {
            row[word] |= mask(word);
        }
    }
}

void TDirectDrawSurface::Changed() {
    versionStale_ = true;
    if (!baseSource_.load(std::memory_order_relaxed) ||
        !baseSource_.exchange(false, std::memory_order_relaxed)) {
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(KeepersLock());
    const std::vector<const TDirectDrawSurface*> keepers = Keepers();
    for (const TDirectDrawSurface* keeper : keepers) {
        if (keeper != this) {
            keeper->EndBase();
        }
    }
}

std::uint64_t TDirectDrawSurface::Version() const {
    if (versionStale_) {
        version_ = NextVersion();
        versionStale_ = false;
    }
    return version_;
}

void TDirectDrawSurface::Forget() const {
    if (keeping_) {
        keeping_ = false;
        std::lock_guard<std::recursive_mutex> lock(KeepersLock());
        DropKeeper(this);
    }
    inBase_ = false;
    baseWhole_ = false;
    written_.all = true;
}

void TDirectDrawSurface::Settle() const {
    EndBase();
    ResolveFill();
}

void TDirectDrawSurface::EndBase() const {
    if (!inBase_) {
        return;
    }
    inBase_ = false;
    if (keeping_) {
        if (base_.size() == lastBase_.size()) {
            keeping_ = false; // the same base: what was kept is right
            std::lock_guard<std::recursive_mutex> lock(KeepersLock());
            DropKeeper(this);
        } else {
            RedrawBaseInFull();
        }
    }
    baseWhole_ = !fillPending_ && !base_.empty();
}

void TDirectDrawSurface::RedrawBaseInFull() const {
    keeping_ = false;
    {
        std::lock_guard<std::recursive_mutex> lock(KeepersLock());
        DropKeeper(this);
    }
    fillPending_ = height_ > 0;
    pendingRows_ = height_;
    coveredTo_.assign(static_cast<std::size_t>(height_), 0);
    for (const BaseDraw& draw : base_) {
        CopyOpaque(draw);
    }
}

void TDirectDrawSurface::CopyOpaque(const BaseDraw& draw) const {
    const TRect& dest = draw.dest;
    if (fillPending_) {
        CoverRows(dest.Top, dest.Bottom, dest.Left, dest.Right);
    }
    const std::ptrdiff_t sourcePitch = draw.source->width_;
    const std::uint32_t* source = draw.source->data_ + draw.srcTop * sourcePitch + draw.srcLeft;
    std::uint32_t* target = data_ + static_cast<std::ptrdiff_t>(dest.Top) * width_ + dest.Left;
    const std::size_t bytes = static_cast<std::size_t>(dest.Width()) * sizeof(std::uint32_t);
    for (int y = dest.Top; y < dest.Bottom; ++y) {
        std::memcpy(target, source, bytes);
        target += width_;
        source += sourcePitch;
    }
}

void TDirectDrawSurface::CopyOpaqueWhereWritten(const BaseDraw& draw) const {
    // Written parts closer than this many blocks are copied as one: a short
    // stretch more costs less than another call.
    constexpr int kJoinGap = 4;
    const TRect& dest = draw.dest;
    const int first = dest.Left >> kBlockShift;
    const int last = (dest.Right - 1) >> kBlockShift;
    const std::ptrdiff_t sourcePitch = draw.source->width_;
    for (int y = dest.Top; y < dest.Bottom; ++y) {
        std::uint64_t* row =
            lastWritten_.bits.data() + static_cast<std::ptrdiff_t>(y) * lastWritten_.words;
        std::uint32_t* target = data_ + static_cast<std::ptrdiff_t>(y) * width_;
        const std::uint32_t* source = draw.source->data_ +
                                      (draw.srcTop + y - dest.Top) * sourcePitch + draw.srcLeft -
                                      dest.Left;
        // What is copied counts as written for the later base draws too:
        // they must put back their part of it.
        const auto copy = [&](int fromBlock, int toBlock) {
            for (int word = fromBlock / 64; word <= (toBlock - 1) / 64; ++word) {
                const int from = std::max(fromBlock, word * 64) - word * 64;
                const int to = std::min(toBlock - 1, word * 64 + 63) - word * 64;
                row[word] |= (to == 63 ? ~0ULL : (2ULL << to) - 1) & ~((1ULL << from) - 1);
            }
            const int x0 = std::max(fromBlock << kBlockShift, dest.Left);
            const int x1 = std::min(toBlock << kBlockShift, dest.Right);
            std::memcpy(target + x0, source + x0,
                        static_cast<std::size_t>(x1 - x0) * sizeof(std::uint32_t));
        };
        if (first / 64 == last / 64) {
            // Mostly written: one whole copy beats several pieces.
            const int from = first & 63;
            const int to = last & 63;
            const std::uint64_t bits =
                row[first / 64] & (to == 63 ? ~0ULL : (2ULL << to) - 1) & ~((1ULL << from) - 1);
            if (bits == 0) {
                continue;
            }
            if (2 * std::popcount(bits) >= to - from + 1) {
                copy(first, last + 1);
                continue;
            }
        }
        int spanStart = -1; // in blocks
        int spanEnd = -1;
        for (int word = first / 64; word <= last / 64; ++word) {
            std::uint64_t bits = row[word];
            const int from = std::max(first, word * 64) - word * 64;
            const int to = std::min(last, word * 64 + 63) - word * 64;
            bits &= (to == 63 ? ~0ULL : (2ULL << to) - 1) & ~((1ULL << from) - 1);
            while (bits != 0) {
                const int start = std::countr_zero(bits);
                const int length = std::countr_one(bits >> start);
                bits = length + start >= 64 ? 0 : bits & (~0ULL << (start + length));
                const int runStart = word * 64 + start;
                if (spanStart >= 0 && runStart - spanEnd <= kJoinGap) {
                    spanEnd = runStart + length;
                    continue;
                }
                if (spanStart >= 0) {
                    copy(spanStart, spanEnd);
                }
                spanStart = runStart;
                spanEnd = runStart + length;
            }
        }
        if (spanStart >= 0) {
            copy(spanStart, spanEnd);
        }
    }
}

void TDirectDrawSurface::SetSize(int width, int height) {
    SetSizeForOverwrite(width, height);
    std::fill(pixels_.begin(), pixels_.end(), 0u);
}

void TDirectDrawSurface::SetSizeForOverwrite(int width, int height) {
    Changed();
    Forget();
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
    Changed();
    if (ownBefore) {
        // The picture moves along, so a later read or present sees no change.
        Settle();
        Forget();
        std::memcpy(next, data_, pixels_.size() * sizeof(std::uint32_t));
        data_ = next;
    } else {
        // The memory lent before may be gone already: never read it.
        Forget();
        data_ = next;
        Fill(0);
    }
    runs_.reset();
}

std::uint32_t* TDirectDrawSurface::Pixels() {
    ViewForWrite();
    written_.all = true;
    return data_;
}

const std::uint32_t* TDirectDrawSurface::Pixels() const {
    Settle();
    return data_;
}

platform::PixelView TDirectDrawSurface::ViewForWrite() {
    Settle();
    Changed();
    runs_.reset();
    return platform::PixelView{data_, width_, height_, width_};
}

void TDirectDrawSurface::MarkWritten(const TRect& rect) {
    written_.Mark(rect, width_, height_);
}

platform::PixelView TDirectDrawSurface::FrameView() const {
    Settle();
    return platform::PixelView{data_, width_, height_, width_};
}

platform::FrameChanges TDirectDrawSurface::TakeChanges() {
    Settle();
    platform::FrameChanges changes;
    changes.frame = ++frameNumber_;
    // The same whole base in both frames puts the same pixels under what
    // was drawn over it; anything else counts as a change everywhere.
    const bool known = fillsSinceTaken_ == 1 && lastBaseWhole_ && baseWhole_ && !written_.all &&
                       !lastWritten_.all && base_ == lastBase_ &&
                       written_.bits.size() == lastWritten_.bits.size();
    fillsSinceTaken_ = 0;
    if (!known) {
        return changes;
    }
    changes_.resize(written_.bits.size());
    for (std::size_t i = 0; i < changes_.size(); ++i) {
        changes_[i] = written_.bits[i] | lastWritten_.bits[i];
    }
    static_assert(platform::FrameChanges::kBlockShift == kBlockShift);
    changes.since = changes.frame - 1;
    changes.words = written_.words;
    changes.rows = changes_.data();
    return changes;
}

platform::PixelView TDirectDrawSurface::View() {
    return platform::PixelView{Pixels(), width_, height_, width_};
}

std::uint32_t TDirectDrawSurface::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0;
    }
    Settle();
    return data_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

void TDirectDrawSurface::SetPixel(int x, int y, std::uint32_t pixel) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    MarkWritten(Bounds(x, y, 1, 1));
    ViewForWrite().pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                          static_cast<std::size_t>(x)] = pixel;
}

void TDirectDrawSurface::Fill(std::uint32_t pixel) {
    if (lost_) {
        return;
    }
    EndBase();
    // The frame before can be kept when its base covered everything and all
    // written over it since is known. Over a busy frame the pieces cost more
    // than copying the base whole.
    const bool keep = baseWhole_ && !written_.all && written_.MostlyClear(width_);
    lastBaseWhole_ = baseWhole_;
    ++fillsSinceTaken_;
    lastBase_.swap(base_);
    base_.clear();
    std::swap(lastWritten_, written_);
    written_.Reset(width_, height_);
    Changed();
    inBase_ = true;
    keeping_ = keep;
    keptLastFrame_ = keep;
    fillPixel_ = pixel;
    if (keep) {
        fillPending_ = false; // the base covers it
        std::lock_guard<std::recursive_mutex> lock(KeepersLock());
        Keepers().push_back(this);
    } else {
        fillPending_ = height_ > 0;
        pendingRows_ = height_;
        coveredTo_.assign(static_cast<std::size_t>(height_), 0);
    }
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

void TDirectDrawSurface::CoverRow(int y, int left, int right, bool opaque) const {
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

void TDirectDrawSurface::CoverRows(int top, int bottom, int left, int right) const {
    for (int y = top; y < bottom; ++y) {
        int& covered = coveredTo_[static_cast<std::size_t>(y)];
        if (covered >= left) {
            // Nothing to fill before it: the row only grows (the usual case,
            // a background drawn left to right).
            if (right > covered) {
                covered = right;
                if (covered >= width_ && --pendingRows_ == 0) {
                    fillPending_ = false;
                }
            }
            continue;
        }
        CoverRow(y, left, right, true);
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
    Forget();
    lost_ = false;
    return true;
}

void TDirectDrawSurface::PrepareKeyedRuns() const {
    if (runs_) {
        return;
    }
    Settle();
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
    Source->Settle();
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

    Changed();
    if (runs == nullptr && Source != this && inBase_) {
        const BaseDraw draw{Source, Source->Version(), dest, src.Left, src.Top};
        Source->baseSource_.store(true, std::memory_order_relaxed);
        if (keeping_) {
            if (base_.size() < lastBase_.size() && lastBase_[base_.size()] == draw) {
                base_.push_back(draw);
                CopyOpaqueWhereWritten(draw);
                return;
            }
            RedrawBaseInFull();
        }
        base_.push_back(draw);
        CopyOpaque(draw);
        return;
    }
    EndBase();
    written_.Mark(dest, width_, height_);

    if (runs == nullptr) {
        if (fillPending_) {
            CoverRows(dest.Top, dest.Bottom, dest.Left, dest.Right);
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
