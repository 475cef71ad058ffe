#include "engine/ImageList.h"

#include <algorithm>
#include <cstdint>

#include "engine/Errors.h"

namespace {

// Lower case for names: ASCII and the Cyrillic letters of code page 1251.
std::string LowerName(const std::string& name) {
    std::string lower = name;
    for (char& ch : lower) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 'A' && byte <= 'Z') {
            ch = static_cast<char>(byte + 32);
        } else if (byte >= 0xC0 && byte <= 0xDF) {
            ch = static_cast<char>(byte + 32);
        } else if (byte == 0xA8) {
            ch = static_cast<char>(0xB8);
        }
    }
    return lower;
}

} // namespace

// ---------------------------------------------------- TPictureCollectionItem

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection& collection)
    : collection_(collection) {}

TPictureCollectionItem::~TPictureCollectionItem() = default;

int TPictureCollectionItem::Width() const {
    return PatternWidth > 0 ? PatternWidth : Picture.Width();
}

int TPictureCollectionItem::Height() const {
    return PatternHeight > 0 ? PatternHeight : Picture.Height();
}

int TPictureCollectionItem::PatternCount() const {
    Build();
    return static_cast<int>(patterns_.size());
}

TRect TPictureCollectionItem::PatternRects(int index) const {
    if (index < 0 || index >= PatternCount()) {
        return TRect{};
    }
    return patterns_[static_cast<std::size_t>(index)].rect;
}

TDirectDrawSurface* TPictureCollectionItem::PatternSurfaces(int index) const {
    if (index < 0 || index >= PatternCount()) {
        return nullptr;
    }
    return patterns_[static_cast<std::size_t>(index)].surface;
}

void TPictureCollectionItem::Draw(TDirectDrawSurface* Dest, int X, int Y, int PatternIndex) {
    if (!initialized_ || Dest == nullptr || PatternIndex < 0 || PatternIndex >= PatternCount()) {
        return;
    }
    const Pattern& pattern = patterns_[static_cast<std::size_t>(PatternIndex)];
    Dest->Draw(X, Y, pattern.rect, pattern.surface, Transparent);
}

void TPictureCollectionItem::SetName(const std::string& value) {
    collection_.Unhash(this);
    name_ = value;
    lowerName_ = LowerName(value);
    collection_.Hash(this);
}

void TPictureCollectionItem::SetTransparentColor(TColor value) {
    if (value == transparentColor_) {
        return;
    }
    // Surfaces still to be made take the new key when they are made.
    transparentColor_ = value;
    for (auto& surface : surfaces_) {
        surface->SetTransparentColor(SurfaceColorOf(*surface, value));
    }
}

void TPictureCollectionItem::ClearSurfaces() {
    pending_.reset();
    patterns_.clear();
    surfaces_.clear();
}

void TPictureCollectionItem::Finalize() {
    if (initialized_) {
        ClearSurfaces();
        initialized_ = false;
    }
}

void TPictureCollectionItem::Restore() {
    if (Picture.Empty()) {
        return;
    }
    if (!initialized_) {
        initialized_ = collection_.Initialized();
        if (!initialized_) {
            return;
        }
    }
    ClearSurfaces();
    // RLE data is decoded now, into the item's own picture, as it always was.
    Picture.ExpandImage();
    // The geometry is taken now: a later change shows only after the next
    // Restore, whenever the surfaces are made.
    pending_ = std::make_unique<Layout>(
        Layout{Picture, Width(), Height(), SkipWidth, SkipHeight, SystemMemory});
}

void TPictureCollectionItem::Build() const {
    if (pending_ == nullptr) {
        return;
    }
    const std::unique_ptr<Layout> layout = std::move(pending_);
    BuildNow(*layout);
}

void TPictureCollectionItem::BuildNow(const Layout& layout) const {
    // The geometry comes from the archive: work in 64 bits so that values
    // such as 0x7FFFFFFF cannot overflow, and build a bounded number of
    // patterns.
    TDIB picture = layout.picture;
    const std::int64_t w = layout.width;
    const std::int64_t h = layout.height;
    const std::int64_t pw = picture.Width();
    const std::int64_t ph = picture.Height();
    const std::int64_t skipWidth = layout.skipWidth;
    const std::int64_t skipHeight = layout.skipHeight;
    const std::int64_t strideX = w + skipWidth;
    const std::int64_t strideY = h + skipHeight;

    const auto makeSurface = [this, &picture](const TRect& block) {
        auto surface = std::make_unique<TDirectDrawSurface>();
        CopyBlockToSurface(*surface, picture, block);
        surface->SetTransparentColor(SurfaceColorOf(*surface, transparentColor_));
        surfaces_.push_back(std::move(surface));
        return surfaces_.back().get();
    };
    const auto rect = [](std::int64_t left, std::int64_t top, std::int64_t width,
                         std::int64_t height) {
        // Within the picture's sides (at most kMaxPictureSide), so int holds it.
        return Bounds(static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                      static_cast<int>(height));
    };

    if (w == pw && h == ph) {
        TDirectDrawSurface* surface = makeSurface(rect(0, 0, pw, ph));
        patterns_.push_back(Pattern{rect(0, 0, pw, ph), surface});
        return;
    }
    // A stride of 0 or less (a negative skip) would divide by zero: such an
    // item simply has no patterns.
    if (w <= 0 || h <= 0 || strideX <= 0 || strideY <= 0) {
        return;
    }
    const std::int64_t columns = (pw + skipWidth) / strideX;
    const std::int64_t rows = (ph + skipHeight) / strideY;
    if (columns <= 0 || rows <= 0) {
        return;
    }
    // Each whole pattern lies inside the picture, so w <= pw and h <= ph here.
    const std::int64_t count = std::min(columns * rows, kMaxPatterns);
    patterns_.reserve(static_cast<std::size_t>(count));

    if (layout.systemMemory) {
        TDirectDrawSurface* surface = makeSurface(rect(0, 0, pw, ph));
        for (std::int64_t i = 0; i < count; ++i) {
            patterns_.push_back(
                Pattern{rect(i % columns * strideX, i / columns * strideY, w, h), surface});
        }
        return;
    }

    // Blocks of whole strides, about 512 pixels at most, so no surface gets
    // much larger than that.
    const std::int64_t bw = std::min(strideX * ((strideX + 511) / strideX), strideX * columns);
    const std::int64_t bh = std::min(strideY * ((strideY + 511) / strideY), strideY * rows);
    const std::int64_t blocksAcross = (pw + bw - 1) / bw;
    const std::int64_t blocksDown = (ph + bh - 1) / bh;
    std::vector<TDirectDrawSurface*> blocks;
    blocks.reserve(static_cast<std::size_t>(blocksAcross * blocksDown));
    for (std::int64_t by = 0; by < blocksDown; ++by) {
        for (std::int64_t bx = 0; bx < blocksAcross; ++bx) {
            const std::int64_t left = bx * bw;
            const std::int64_t top = by * bh;
            blocks.push_back(
                makeSurface(rect(left, top, std::min(bw, pw - left), std::min(bh, ph - top))));
        }
    }
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t x = i % columns * strideX;
        const std::int64_t y = i / columns * strideY;
        const std::int64_t block = (y / bh) * blocksAcross + x / bw;
        patterns_.push_back(
            Pattern{rect(x % bw, y % bh, w, h), blocks[static_cast<std::size_t>(block)]});
    }
}

// -------------------------------------------------------- TPictureCollection

TPictureCollection::TPictureCollection() = default;

TPictureCollection::~TPictureCollection() = default;

int TPictureCollection::Bucket(const std::string& lowerName) {
    const std::size_t length = lowerName.size();
    unsigned hash = static_cast<unsigned>(length) * 16u;
    if (length >= 2) {
        hash += static_cast<unsigned char>(lowerName[0]);
        hash += static_cast<unsigned char>(lowerName[length - 2]);
    }
    return static_cast<int>(hash % 256u);
}

void TPictureCollection::Hash(TPictureCollectionItem* item) {
    buckets_[static_cast<std::size_t>(Bucket(item->lowerName_))].push_back(item);
}

void TPictureCollection::Unhash(TPictureCollectionItem* item) {
    auto& chain = buckets_[static_cast<std::size_t>(Bucket(item->lowerName_))];
    // From the back: an item being loaded was hashed last, so loading many
    // items (all first filed under the empty name) stays linear.
    const auto at = std::find(chain.rbegin(), chain.rend(), item);
    if (at != chain.rend()) {
        chain.erase(std::next(at).base());
    }
}

TPictureCollectionItem* TPictureCollection::Add() {
    auto item = std::make_unique<TPictureCollectionItem>(*this);
    item->index_ = Count();
    items_.push_back(std::move(item));
    TPictureCollectionItem* added = items_.back().get();
    Hash(added);
    return added;
}

void TPictureCollection::Delete(int index) {
    TPictureCollectionItem* item = Items(index);
    Unhash(item);
    items_.erase(items_.begin() + index);
    for (std::size_t i = static_cast<std::size_t>(index); i < items_.size(); ++i) {
        items_[i]->index_--;
    }
}

void TPictureCollection::Clear() {
    for (auto& chain : buckets_) {
        chain.clear();
    }
    items_.clear();
}

TPictureCollectionItem* TPictureCollection::Items(int index) const {
    if (index < 0 || index >= Count()) {
        throw EListError(engine::FormatMessage("List index out of bounds (%d)", index));
    }
    return items_[static_cast<std::size_t>(index)].get();
}

int TPictureCollection::IndexOf(const std::string& Name) const {
    const std::string lower = LowerName(Name);
    const auto& chain = buckets_[static_cast<std::size_t>(Bucket(lower))];
    // The chain keeps the most recently named last: it wins among equal names.
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if ((*it)->lowerName_ == lower) {
            return (*it)->index_;
        }
    }
    return -1;
}

TPictureCollectionItem* TPictureCollection::Find(const std::string& Name) const {
    const int index = IndexOf(Name);
    if (index < 0) {
        throw EPictureCollectionError(engine::FormatMessage("Image '%s' not found", Name));
    }
    return items_[static_cast<std::size_t>(index)].get();
}

void TPictureCollection::InitializeImages(TDXDraw* display) {
    Finalize();
    dxDraw_ = display;
    if (!Initialized()) {
        throw EPictureCollectionError(
            engine::FormatMessage("%s cannot be initialized", std::string(ClassName())));
    }
    for (auto& item : items_) {
        item->initialized_ = true;
    }
}

void TPictureCollection::Finalize() {
    for (auto& item : items_) {
        item->Finalize();
    }
    dxDraw_ = nullptr;
}

void TPictureCollection::Restore() {
    // Cheap: each item makes its surfaces when it is first drawn.
    for (auto& item : items_) {
        item->Restore();
    }
}

bool TPictureCollection::Initialized() const {
    return dxDraw_ != nullptr && dxDraw_->Initialized();
}

// --------------------------------------------------------------- TDXImageList

TDXImageList::~TDXImageList() {
    SetDXDraw(nullptr);
}

void TDXImageList::SetDXDraw(TDXDraw* value) {
    if (dxDraw_ != nullptr) {
        dxDraw_->UnRegisterNotifyEvent(this);
    }
    dxDraw_ = value;
    if (dxDraw_ != nullptr) {
        dxDraw_->RegisterNotifyEvent(
            this, [this](TDXDraw* sender, TDXDrawNotifyType type) { Notify(sender, type); });
    }
}

void TDXImageList::Notify(TDXDraw* sender, TDXDrawNotifyType type) {
    switch (type) {
    case dxntDestroying:
        dxDraw_ = nullptr;
        break;
    case dxntInitialize:
        Items.InitializeImages(sender);
        break;
    case dxntFinalize:
        Items.Finalize();
        break;
    case dxntRestore:
        Items.Restore();
        break;
    default:
        break;
    }
}
