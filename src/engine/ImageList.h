// Image items: named pictures cut into equal patterns (animation frames or
// chips), their surfaces, and the colour-keyed draw of one pattern; the
// collection that finds them by name; the image-list component that keeps
// them in step with the display.
//
// Items and their surfaces belong to the collection. A pointer to an item is
// valid until the collection is cleared or reloaded.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/DIB.h"
#include "engine/DXDraw.h"
#include "engine/Geometry.h"
#include "engine/Surface.h"

class TPictureCollection;
class TStream;

// Patterns built for one item at most; a layout that cuts more (say 1 x 1
// patterns of a large picture) keeps the first ones, in drawing order.
inline constexpr std::int64_t kMaxPatterns = 65536;

class TPictureCollectionItem {
public:
    explicit TPictureCollectionItem(TPictureCollection& collection);
    ~TPictureCollectionItem();
    TPictureCollectionItem(const TPictureCollectionItem&) = delete;
    TPictureCollectionItem& operator=(const TPictureCollectionItem&) = delete;

    // Draws pattern PatternIndex at (X, Y), keyed if Transparent. Does nothing
    // when the item is not initialised, the index is outside the patterns
    // built by the last Restore, or Dest is null.
    void Draw(TDirectDrawSurface* Dest, int X, int Y, int PatternIndex);

    // Rebuilds the patterns and their surfaces from the picture and the
    // geometry as they are now. The surfaces are made on first use (a draw
    // or a look at the patterns), so pictures that are never shown cost
    // nothing and the first frame waits only for its own.
    void Restore();
    // Frees the patterns and surfaces; the item becomes uninitialised.
    void Finalize();
    bool Initialized() const { return initialized_; }

    // The pattern size: PatternWidth/Height when above 0, else the picture's.
    int Width() const;
    int Height() const;
    int PatternCount() const;
    // (0, 0, 0, 0) / null outside 0 .. PatternCount() - 1.
    TRect PatternRects(int index) const;
    TDirectDrawSurface* PatternSurfaces(int index) const;

    // Lookup key, compared without regard to case.
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value);
    // The key colour; a change re-keys every surface of the item at once.
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor value);

    // Position in the collection (0-based).
    int Index() const { return index_; }
    TPictureCollection& Collection() const { return collection_; }

    // Plain values: a change of the geometry shows in Width/Height at once but
    // in the drawn patterns only after the next Restore.
    TDIB Picture;
    int PatternWidth = 0;
    int PatternHeight = 0;
    int SkipWidth = 0;
    int SkipHeight = 0;
    bool SystemMemory = false;
    bool Transparent = true;

private:
    friend class TPictureCollection;
    struct Pattern {
        TRect rect;
        TDirectDrawSurface* surface;
    };
    // What the last Restore saw, for the surfaces still to be made.
    struct Layout {
        TDIB picture;
        std::int64_t width = 0;
        std::int64_t height = 0;
        int skipWidth = 0;
        int skipHeight = 0;
        bool systemMemory = false;
    };
    void ClearSurfaces();
    // Makes the surfaces a Restore left to do.
    void Build() const;
    void BuildNow(const Layout& layout) const;

    TPictureCollection& collection_;
    std::string name_;
    std::string lowerName_;
    TColor transparentColor_ = clBlack;
    int index_ = 0;
    bool initialized_ = false;
    // Made on first use: the accessors are const, the surfaces a cache.
    mutable std::unique_ptr<Layout> pending_;
    mutable std::vector<Pattern> patterns_;
    mutable std::vector<std::unique_ptr<TDirectDrawSurface>> surfaces_;
};

class TPictureCollection {
public:
    TPictureCollection();
    ~TPictureCollection();
    TPictureCollection(const TPictureCollection&) = delete;
    TPictureCollection& operator=(const TPictureCollection&) = delete;

    // Appends a new, empty item; the collection owns it.
    TPictureCollectionItem* Add();
    void Delete(int index);
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    // EListError outside 0 .. Count() - 1.
    TPictureCollectionItem* Items(int index) const;
    // The item of that name (case ignored; among equal names the one named
    // last). EPictureCollectionError "Image '%s' not found" if none.
    TPictureCollectionItem* Find(const std::string& Name) const;
    // As Find, but -1 / null instead of raising.
    int IndexOf(const std::string& Name) const;

    // Reading an image archive (implemented with the archive reader). Each
    // replaces the whole content; while initialised, the new items are made
    // drawable before the call returns.
    void LoadFromFile(const std::string& path);
    void ReadArchiveFile(const std::string& path);
    void ReadArchiveStream(TStream& stream);

    // Finalize, then ties the items to `display`; EPictureCollectionError
    // "%s cannot be initialized" when the display is not initialised.
    void InitializeImages(TDXDraw* display);
    void Finalize();
    void Restore();
    bool Initialized() const;
    TDXDraw* DXDraw() const { return dxDraw_; }

    // Stored with the form and written back unchanged; unused in 32-bit drawing.
    std::array<std::uint8_t, 1024> ColorTable{};

    static const char* ClassName() { return "TPictureCollection"; }

private:
    friend class TPictureCollectionItem;
    static int Bucket(const std::string& lowerName);
    void Unhash(TPictureCollectionItem* item);
    void Hash(TPictureCollectionItem* item);

    std::vector<std::unique_ptr<TPictureCollectionItem>> items_;
    std::array<std::vector<TPictureCollectionItem*>, 256> buckets_; // newest last
    TDXDraw* dxDraw_ = nullptr;
};

// The image-list component: its items follow its display's notifications.
class TDXImageList {
public:
    TDXImageList() = default;
    ~TDXImageList();
    TDXImageList(const TDXImageList&) = delete;
    TDXImageList& operator=(const TDXImageList&) = delete;

    TPictureCollection Items;
    TDXDraw* DXDraw() const { return dxDraw_; }
    // Leaves the old display and joins the new one; joining an initialised
    // display makes the items drawable at once.
    void SetDXDraw(TDXDraw* value);

private:
    void Notify(TDXDraw* sender, TDXDrawNotifyType type);
    TDXDraw* dxDraw_ = nullptr;
};
