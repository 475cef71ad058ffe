// The sprite tree and its passes (move, collide, draw, and the sweep of the
// sprites marked dead), image sprites and tiled backgrounds, and the
// component that ties the tree to the display.
//
// Ownership: a sprite is created with `new TFoo(parent, ...)` and belongs to
// its parent; destroying a sprite (delete, Clear of its parent, or the sweep)
// destroys its subtree. During a pass sprites may be created and marked dead,
// but never deleted directly: the passes walk the lists by position.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/Geometry.h"

class TDirectDrawSurface;
class TDXDraw;
class TPictureCollectionItem;
class TSpriteEngine;

class TSprite {
public:
    // With a parent, joins the parent's lists (drawn beneath siblings of equal
    // Z) and the parent's engine.
    explicit TSprite(TSprite* AParent);
    virtual ~TSprite();
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    // The class name the state dump prints; every class overrides it.
    virtual const char* ClassName() const { return "TSprite"; }
    // The `Kind` the state dump prints, for classes that have one.
    virtual std::optional<int> DumpKind() const { return std::nullopt; }
    // The image item the sprite draws, for the state dump; null if none.
    virtual const TPictureCollectionItem* DumpImage() const { return nullptr; }

    // Passes.
    void Move(int MoveCount);
    void Draw();
    int Collision(); // number of hits
    void Dead();     // marks for the next sweep; again does nothing
    void Clear();    // destroys the children, last first

    // Overridables.
    virtual void DoCollision(TSprite* Sprite, bool& Done);
    virtual void DoDraw();
    virtual void DoMove(int MoveCount);
    virtual TRect GetBoundsRect();
    virtual bool TestCollision(TSprite* Sprite);

    TSpriteEngine* Engine() const { return engine_; }
    TSprite* Parent() const { return parent_; }
    bool Deaded() const { return deaded_; }
    int Z() const { return z_; }
    void SetZ(int value); // re-sorts the sprite among its siblings

    int Count() const { return static_cast<int>(list_.size()); }
    // The i-th child in creation order. ESpriteError when there are no
    // children, EListError when i is outside the list.
    TSprite* Items(int i) const;

    TRect BoundsRect() { return GetBoundsRect(); }
    double WorldX() const; // X plus the parent's WorldX, up to the root
    double WorldY() const;

    bool Collisioned = true; // takes part in collision passes
    bool Moved = true;       // takes part (with its subtree) in move passes
    bool Visible = true;     // takes part (with its subtree) in draw passes
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;

private:
    friend class TSpriteEngine;
    void Add(TSprite* sprite);
    void Remove(TSprite* sprite);
    void AddDrawList(TSprite* sprite);
    void Visit(TSprite* target); // one step of a collision pass

    TSpriteEngine* engine_ = nullptr;
    TSprite* parent_ = nullptr;
    std::vector<TSprite*> list_;     // children in creation order
    std::vector<TSprite*> drawList_; // children by ascending Z
    bool deaded_ = false;
    int z_ = 0;
};

// The root of a tree. Its Width and Height follow the surface.
class TSpriteEngine : public TSprite {
public:
    explicit TSpriteEngine(TSprite* AParent = nullptr);
    ~TSpriteEngine() override;
    const char* ClassName() const override { return "TSpriteEngine"; }

    // The sweep: destroys the sprites marked dead, last marked first.
    void Dead();
    // Resets DrawCount, then the draw pass.
    void Draw();
    // Null leaves SurfaceRect as it was.
    void SetSurface(TDirectDrawSurface* surface);

    int AllCount() const { return allCount_; }
    int DrawCount() const { return drawCount_; }
    const std::vector<TSprite*>& DeadList() const { return deadList_; }
    TDirectDrawSurface* Surface() const { return surface_; }
    TRect SurfaceRect() const { return surfaceRect_; }

    // State of the running collision pass.
    int CollisionCount() const { return collisionCount_; }
    bool CollisionDone() const { return collisionDone_; }
    TRect CollisionRect() const { return collisionRect_; }
    TSprite* CollisionSprite() const { return collisionSprite_; }

private:
    friend class TSprite;
    int allCount_ = 0;
    int collisionCount_ = 0;
    bool collisionDone_ = false;
    TRect collisionRect_;
    TSprite* collisionSprite_ = nullptr;
    std::vector<TSprite*> deadList_;
    int drawCount_ = 0;
    TDirectDrawSurface* surface_ = nullptr;
    TRect surfaceRect_;
};

// Draws pattern AnimStart + AnimPos of its image item, centred in its box.
class TImageSprite : public TSprite {
public:
    explicit TImageSprite(TSprite* AParent);
    const char* ClassName() const override { return "TImageSprite"; }
    const TPictureCollectionItem* DumpImage() const override { return Image; }

    void DoDraw() override;
    void DoMove(int MoveCount) override;
    TRect GetBoundsRect() override;
    bool TestCollision(TSprite* Sprite) override;

    int AnimCount = 0;
    bool AnimLooped = false;
    int AnimPos = 0;
    double AnimSpeed = 0.0; // frames per tick
    int AnimStart = 0;
    TPictureCollectionItem* Image = nullptr; // not owned; nothing is drawn while null
    bool PixelCheck = false;
    bool Tile = false; // wraps around the surface edges
};

// A map of chips (patterns of one image item), optionally repeated over the
// whole surface. Created with Collisioned false.
class TBackgroundSprite : public TSprite {
public:
    explicit TBackgroundSprite(TSprite* AParent);
    const char* ClassName() const override { return "TBackgroundSprite"; }
    const TPictureCollectionItem* DumpImage() const override { return Image; }

    void DoDraw() override;
    TRect GetBoundsRect() override;
    bool TestCollision(TSprite* Sprite) override;

    // Every cell becomes chip 0 and solid. A size of 0 or less in either
    // direction empties the map.
    void SetMapSize(int AMapWidth, int AMapHeight);
    int MapWidth() const { return mapWidth_; }
    int MapHeight() const { return mapHeight_; }
    // Chip (pattern index) of a cell; -1 outside the map or for an empty cell.
    int Chips(int column, int row) const;
    void SetChip(int column, int row, int chip);  // ignored outside the map
    bool CollisionMap(int column, int row) const; // false outside the map
    void SetCollisionMap(int column, int row, bool solid);

    TPictureCollectionItem* Image = nullptr; // not owned
    bool Tile = false;

private:
    void DrawChipRows(TDirectDrawSurface* surface, int x, int y, int chip, int firstRow,
                      int endRow) const;

    int mapWidth_ = 0;
    int mapHeight_ = 0;
    std::vector<std::int32_t> map_;
    std::vector<std::uint8_t> collisionMap_;
};

// The component: owns the root and draws it on the display's back buffer
// while the display is initialised.
class TDXSpriteEngine {
public:
    TDXSpriteEngine();
    ~TDXSpriteEngine();
    TDXSpriteEngine(const TDXSpriteEngine&) = delete;
    TDXSpriteEngine& operator=(const TDXSpriteEngine&) = delete;

    TSpriteEngine& Engine() { return engine_; }
    TDXDraw* DXDraw() const { return dxDraw_; }
    // Leaves the old display's listeners and joins the new one's.
    void SetDXDraw(TDXDraw* value);

    void Move(int MoveCount) { engine_.Move(MoveCount); }
    void Dead() { engine_.Dead(); }
    void Draw(); // only while DXDraw is set and initialised

private:
    TSpriteEngine engine_;
    TDXDraw* dxDraw_ = nullptr;
};
