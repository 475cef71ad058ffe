#include "engine/DXSprite.h"

#include <algorithm>
#include <cmath>

#include "engine/DXDraw.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"
#include "engine/Surface.h"

// ---------------------------------------------------------------- TSprite

TSprite::TSprite(TSprite* AParent) : parent_(AParent) {
    if (parent_ != nullptr) {
        parent_->Add(this);
        if (auto* engine = dynamic_cast<TSpriteEngine*>(parent_)) {
            engine_ = engine;
        } else {
            engine_ = parent_->engine_;
        }
        if (engine_ != nullptr) {
            engine_->allCount_++;
        }
    }
}

TSprite::~TSprite() {
    Clear();
    if (parent_ != nullptr) {
        if (engine_ != nullptr) {
            engine_->allCount_--;
            if (deaded_) {
                auto& dead = engine_->deadList_;
                const auto at = std::find(dead.begin(), dead.end(), this);
                if (at != dead.end()) {
                    dead.erase(at);
                }
            }
        }
        parent_->Remove(this);
    }
}

void TSprite::Add(TSprite* sprite) {
    list_.push_back(sprite);
    AddDrawList(sprite);
}

void TSprite::Remove(TSprite* sprite) {
    const auto inList = std::find(list_.begin(), list_.end(), sprite);
    if (inList != list_.end()) {
        list_.erase(inList);
    }
    const auto inDraw = std::find(drawList_.begin(), drawList_.end(), sprite);
    if (inDraw != drawList_.end()) {
        drawList_.erase(inDraw);
    }
    if (list_.empty()) {
        // A sprite without children holds no list memory.
        std::vector<TSprite*>().swap(list_);
        std::vector<TSprite*>().swap(drawList_);
    }
}

void TSprite::AddDrawList(TSprite* sprite) {
    // Binary search that places the sprite before every sibling of equal Z:
    // among equal Z the sprite inserted last is drawn first (beneath).
    int low = 0;
    int high = static_cast<int>(drawList_.size()) - 1;
    while (high >= low) {
        const int middle = (low + high) / 2;
        if (drawList_[static_cast<std::size_t>(middle)]->z_ < sprite->z_) {
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    drawList_.insert(drawList_.begin() + low, sprite);
}

void TSprite::SetZ(int value) {
    if (z_ == value) {
        return;
    }
    z_ = value;
    if (parent_ != nullptr) {
        auto& siblings = parent_->drawList_;
        const auto at = std::find(siblings.begin(), siblings.end(), this);
        if (at != siblings.end()) {
            siblings.erase(at);
        }
        parent_->AddDrawList(this);
    }
}

TSprite* TSprite::Items(int i) const {
    if (list_.empty()) {
        throw ESpriteError(engine::FormatMessage("Index of the list exceeds the range. (%d)", i));
    }
    if (i < 0 || i >= Count()) {
        throw EListError(engine::FormatMessage("List index out of bounds (%d)", i));
    }
    return list_[static_cast<std::size_t>(i)];
}

void TSprite::Clear() {
    while (!list_.empty()) {
        delete list_.back();
    }
}

double TSprite::WorldX() const {
    return parent_ != nullptr ? parent_->WorldX() + X : X;
}

double TSprite::WorldY() const {
    return parent_ != nullptr ? parent_->WorldY() + Y : Y;
}

void TSprite::Move(int MoveCount) {
    if (!Moved) {
        return;
    }
    DoMove(MoveCount);
    // Children added during the pass wait for the next one. The size check
    // only guards against an override that deleted a sibling directly.
    const std::size_t count = list_.size();
    for (std::size_t i = 0; i < count && i < list_.size(); ++i) {
        list_[i]->Move(MoveCount);
    }
}

void TSprite::Draw() {
    if (!Visible) {
        return;
    }
    if (engine_ != nullptr && OverlapRect(BoundsRect(), engine_->surfaceRect_)) {
        DoDraw();
        engine_->drawCount_++;
    }
    const std::size_t count = drawList_.size();
    for (std::size_t i = 0; i < count && i < drawList_.size(); ++i) {
        drawList_[i]->Draw();
    }
}

int TSprite::Collision() {
    if (engine_ == nullptr || deaded_ || !Collisioned) {
        return 0;
    }
    TSpriteEngine& engine = *engine_;
    engine.collisionCount_ = 0;
    engine.collisionDone_ = false;
    engine.collisionRect_ = BoundsRect();
    engine.collisionSprite_ = this;
    const std::size_t count = engine.list_.size();
    for (std::size_t i = 0; i < count && i < engine.list_.size(); ++i) {
        Visit(engine.list_[i]);
    }
    return engine.collisionCount_;
}

void TSprite::Visit(TSprite* target) {
    // `this` is the sprite that runs the pass.
    TSpriteEngine& engine = *engine_;
    if (!target->Collisioned) {
        return;
    }
    if (target != this && OverlapRect(target->BoundsRect(), engine.collisionRect_) &&
        TestCollision(target) && target->TestCollision(this)) {
        engine.collisionCount_++;
        DoCollision(target, engine.collisionDone_);
        if (!Collisioned || deaded_) {
            engine.collisionDone_ = true;
        }
    }
    if (engine.collisionDone_) {
        return;
    }
    const std::size_t count = target->list_.size();
    for (std::size_t i = 0; i < count && i < target->list_.size(); ++i) {
        Visit(target->list_[i]);
    }
}

void TSprite::Dead() {
    if (engine_ != nullptr && !deaded_) {
        deaded_ = true;
        engine_->deadList_.push_back(this);
    }
}

void TSprite::DoCollision(TSprite*, bool&) {}

void TSprite::DoDraw() {}

void TSprite::DoMove(int) {}

TRect TSprite::GetBoundsRect() {
    const int left = static_cast<int>(WorldX());
    const int top = static_cast<int>(WorldY());
    return TRect{left, top, left + Width, top + Height};
}

bool TSprite::TestCollision(TSprite*) {
    return true;
}

// ---------------------------------------------------------- TSpriteEngine

TSpriteEngine::TSpriteEngine(TSprite* AParent) : TSprite(AParent) {}

TSpriteEngine::~TSpriteEngine() {
    // The children reach back into the dead list while they go.
    Clear();
}

void TSpriteEngine::Dead() {
    while (!deadList_.empty()) {
        // The destructor takes the sprite (and any dead descendant) off the list.
        delete deadList_.back();
    }
}

void TSpriteEngine::Draw() {
    drawCount_ = 0;
    TSprite::Draw();
}

void TSpriteEngine::SetSurface(TDirectDrawSurface* surface) {
    surface_ = surface;
    if (surface_ != nullptr) {
        surfaceRect_ = surface_->ClientRect();
        Width = surface_->Width();
        Height = surface_->Height();
    }
}

// ----------------------------------------------------------- TImageSprite

namespace {

// Integer modulo taken into 0 .. divisor - 1 (divisor > 0).
int PositiveModulo(int value, int divisor) {
    int result = value % divisor;
    if (result < 0) {
        result += divisor;
    }
    return result;
}

} // namespace

TImageSprite::TImageSprite(TSprite* AParent) : TSprite(AParent) {}

void TImageSprite::DoDraw() {
    if (Image == nullptr || Engine() == nullptr) {
        return;
    }
    const TRect bounds = BoundsRect();
    const int left = bounds.Left + (Width - Image->Width()) / 2;
    const int top = bounds.Top + (Height - Image->Height()) / 2;
    Image->Draw(Engine()->Surface(), left, top, AnimStart + AnimPos);
}

void TImageSprite::DoMove(int MoveCount) {
    // Halves round to even, as the frame arithmetic always did.
    AnimPos += static_cast<int>(std::nearbyint(MoveCount * AnimSpeed));
    if (AnimLooped) {
        AnimPos = AnimCount > 0 ? PositiveModulo(AnimPos, AnimCount) : 0;
    } else {
        if (AnimPos >= AnimCount) {
            AnimPos = AnimCount - 1;
            AnimSpeed = 0;
        }
        if (AnimPos < 0) {
            AnimPos = 0;
            AnimSpeed = 0;
        }
    }
}

TRect TImageSprite::GetBoundsRect() {
    int left = static_cast<int>(WorldX());
    int top = static_cast<int>(WorldY());
    if (Tile && Engine() != nullptr) {
        const TRect surfaceRect = Engine()->SurfaceRect();
        const int spanX = surfaceRect.Right + Width;
        if (spanX > 0) {
            left = PositiveModulo(left, spanX);
            if (left > surfaceRect.Right) {
                left = left - surfaceRect.Right - Width;
            }
        }
        const int spanY = surfaceRect.Bottom + Height;
        if (spanY > 0) {
            top = PositiveModulo(top, spanY);
            if (top > surfaceRect.Bottom) {
                top = top - surfaceRect.Bottom - Height;
            }
        }
    }
    return TRect{left, top, left + Width, top + Height};
}

bool TImageSprite::TestCollision(TSprite* Sprite) {
    auto* other = dynamic_cast<TImageSprite*>(Sprite);
    if (other == nullptr || !PixelCheck || Image == nullptr || other->Image == nullptr) {
        return true;
    }
    // Pixel test: some pixel of the overlap is opaque in both drawn patterns.
    const auto drawOrigin = [](TImageSprite& sprite, const TRect& bounds) {
        return std::pair<int, int>{bounds.Left + (sprite.Width - sprite.Image->Width()) / 2,
                                   bounds.Top + (sprite.Height - sprite.Image->Height()) / 2};
    };
    const TRect myBounds = BoundsRect();
    const TRect otherBounds = other->BoundsRect();
    const auto [mx, my] = drawOrigin(*this, myBounds);
    const auto [ox, oy] = drawOrigin(*other, otherBounds);
    const int myPattern = AnimStart + AnimPos;
    const int otherPattern = other->AnimStart + other->AnimPos;
    const TDirectDrawSurface* mySurface = Image->PatternSurfaces(myPattern);
    const TDirectDrawSurface* otherSurface = other->Image->PatternSurfaces(otherPattern);
    if (mySurface == nullptr || otherSurface == nullptr) {
        return false;
    }
    const TRect myRect = Image->PatternRects(myPattern);
    const TRect otherRect = other->Image->PatternRects(otherPattern);
    const TRect a = Bounds(mx, my, myRect.Width(), myRect.Height());
    const TRect b = Bounds(ox, oy, otherRect.Width(), otherRect.Height());
    const TRect overlap{std::max(a.Left, b.Left), std::max(a.Top, b.Top),
                        std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    const auto opaque = [](const TPictureCollectionItem& item, const TDirectDrawSurface& surface,
                           int x, int y) {
        return !item.Transparent || surface.Pixel(x, y) != surface.TransparentColor();
    };
    for (int y = overlap.Top; y < overlap.Bottom; ++y) {
        for (int x = overlap.Left; x < overlap.Right; ++x) {
            if (opaque(*Image, *mySurface, myRect.Left + x - a.Left, myRect.Top + y - a.Top) &&
                opaque(*other->Image, *otherSurface, otherRect.Left + x - b.Left,
                       otherRect.Top + y - b.Top)) {
                return true;
            }
        }
    }
    return false;
}

// ------------------------------------------------------ TBackgroundSprite

TBackgroundSprite::TBackgroundSprite(TSprite* AParent) : TSprite(AParent) {
    Collisioned = false;
}

void TBackgroundSprite::SetMapSize(int AMapWidth, int AMapHeight) {
    if (AMapWidth == mapWidth_ && AMapHeight == mapHeight_) {
        return;
    }
    if (AMapWidth <= 0 || AMapHeight <= 0) {
        AMapWidth = 0;
        AMapHeight = 0;
    }
    mapWidth_ = AMapWidth;
    mapHeight_ = AMapHeight;
    const auto cells = static_cast<std::size_t>(mapWidth_) * static_cast<std::size_t>(mapHeight_);
    map_.assign(cells, 0);
    collisionMap_.assign(cells, 1);
}

int TBackgroundSprite::Chips(int column, int row) const {
    if (column < 0 || column >= mapWidth_ || row < 0 || row >= mapHeight_) {
        return -1;
    }
    return map_[static_cast<std::size_t>(column + row * mapWidth_)];
}

void TBackgroundSprite::SetChip(int column, int row, int chip) {
    if (column >= 0 && column < mapWidth_ && row >= 0 && row < mapHeight_) {
        map_[static_cast<std::size_t>(column + row * mapWidth_)] = chip;
    }
}

bool TBackgroundSprite::CollisionMap(int column, int row) const {
    if (column < 0 || column >= mapWidth_ || row < 0 || row >= mapHeight_) {
        return false;
    }
    return collisionMap_[static_cast<std::size_t>(column + row * mapWidth_)] != 0;
}

void TBackgroundSprite::SetCollisionMap(int column, int row, bool solid) {
    if (column >= 0 && column < mapWidth_ && row >= 0 && row < mapHeight_) {
        collisionMap_[static_cast<std::size_t>(column + row * mapWidth_)] = solid ? 1 : 0;
    }
}

// Rows [firstRow, endRow) of chip `chip` drawn at (x, y), as Image->Draw
// would draw them.
void TBackgroundSprite::DrawChipRows(TDirectDrawSurface* surface, int x, int y, int chip,
                                     int firstRow, int endRow) const {
    const TDirectDrawSurface* source = Image->PatternSurfaces(chip);
    if (chip < 0 || source == nullptr || !Image->Initialized() || surface == nullptr) {
        return;
    }
    const TRect rect = Image->PatternRects(chip);
    surface->Draw(
        x, y + firstRow,
        TRect{rect.Left, rect.Top + firstRow, rect.Right, std::min(rect.Top + endRow, rect.Bottom)},
        source, Image->Transparent);
}

void TBackgroundSprite::DoDraw() {
    if (Image == nullptr || mapWidth_ <= 0 || mapHeight_ <= 0 || Engine() == nullptr) {
        return;
    }
    TDirectDrawSurface* surface = Engine()->Surface();
    const TRect chip0 = Image->PatternRects(0);
    const int cw = chip0.Width();
    const int ch = chip0.Height();
    if (cw <= 0 || ch <= 0) {
        return;
    }
    const TRect surfaceRect = Engine()->SurfaceRect();
    const int nx = (surfaceRect.Right + cw) / cw + 1;
    const int ny = (surfaceRect.Bottom + ch) / ch + 1;

    const int px = static_cast<int>(WorldX());
    const int py = static_cast<int>(WorldY());
    const int ox = px % cw;
    const int oy = py % ch;
    int sx = px / cw;
    int sy = py / ch;
    int skipX = 0;
    int skipY = 0;
    if (sx < 0) {
        skipX = -sx;
        sx = 0;
    }
    if (sy < 0) {
        skipY = -sy;
        sy = 0;
    }

    if (Tile) {
        // A row of chips is drawn in bands of a few pixel rows across the
        // whole surface rather than chip after chip: the back buffer is then
        // written in address order, which the cache handles far better than
        // columns one chip wide. Chips never overlap, so no pixel changes.
        constexpr int kBandRows = 16;
        const int surfaceHeight = surface != nullptr ? surface->Height() : 0;
        for (int r = -1; r <= ny; ++r) {
            const int top = r * ch + oy;
            for (int band = 0; band < ch; band += kBandRows) {
                const int bandEnd = std::min(band + kBandRows, ch);
                if (top + bandEnd <= 0 || top + band >= surfaceHeight) {
                    continue; // off the surface: every draw would be clipped away
                }
                for (int c = -1; c <= nx; ++c) {
                    const int chip = Chips(PositiveModulo(c - sx + skipX, mapWidth_),
                                           PositiveModulo(r - sy + skipY, mapHeight_));
                    DrawChipRows(surface, c * cw + ox, top, chip, band, bandEnd);
                }
            }
        }
    } else {
        const int ex = std::min(sx + mapWidth_ - skipX, nx);
        const int ey = std::min(sy + mapHeight_ - skipY, ny);
        for (int r = sy; r < ey; ++r) {
            for (int c = sx; c < ex; ++c) {
                const int chip = Chips(c - sx + skipX, r - sy + skipY);
                if (chip >= 0) {
                    Image->Draw(surface, c * cw + ox, r * ch + oy, chip);
                }
            }
        }
    }
}

TRect TBackgroundSprite::GetBoundsRect() {
    if (Tile) {
        return Engine() != nullptr ? Engine()->SurfaceRect() : TRect{};
    }
    if (Image != nullptr) {
        const int left = static_cast<int>(WorldX());
        const int top = static_cast<int>(WorldY());
        return Bounds(left, top, Image->Width() * mapWidth_, Image->Height() * mapHeight_);
    }
    return TRect{};
}

bool TBackgroundSprite::TestCollision(TSprite* Sprite) {
    if (Image == nullptr || mapWidth_ <= 0 || mapHeight_ <= 0) {
        return true;
    }
    // Cells whose collision flag is set and that the other sprite's box touches.
    const int cw = Image->Width();
    const int ch = Image->Height();
    if (cw <= 0 || ch <= 0) {
        return false;
    }
    const TRect other = Sprite->BoundsRect();
    const int left = static_cast<int>(WorldX());
    const int top = static_cast<int>(WorldY());
    for (int row = 0; row < mapHeight_; ++row) {
        for (int column = 0; column < mapWidth_; ++column) {
            if (CollisionMap(column, row) &&
                OverlapRect(Bounds(left + column * cw, top + row * ch, cw, ch), other)) {
                return true;
            }
        }
    }
    return false;
}

// -------------------------------------------------------- TDXSpriteEngine

TDXSpriteEngine::TDXSpriteEngine() = default;

TDXSpriteEngine::~TDXSpriteEngine() {
    SetDXDraw(nullptr);
}

void TDXSpriteEngine::SetDXDraw(TDXDraw* value) {
    if (dxDraw_ != nullptr) {
        dxDraw_->UnRegisterNotifyEvent(this);
    }
    dxDraw_ = value;
    if (dxDraw_ != nullptr) {
        dxDraw_->RegisterNotifyEvent(this, [this](TDXDraw* sender, TDXDrawNotifyType type) {
            switch (type) {
            case dxntDestroying:
                dxDraw_ = nullptr;
                break;
            case dxntInitialize:
                engine_.SetSurface(sender->Surface());
                break;
            case dxntFinalize:
                engine_.SetSurface(nullptr);
                break;
            default:
                break;
            }
        });
    }
}

void TDXSpriteEngine::Draw() {
    if (dxDraw_ != nullptr && dxDraw_->Initialized()) {
        engine_.Draw();
    }
}
