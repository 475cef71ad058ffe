#include "engine/DXSprite.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Fakes.h"
#include "engine/DXDraw.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"
#include "engine/Surface.h"

namespace {

// A sprite that writes its name into a shared journal when drawn, moved or hit.
class Probe : public TSprite {
public:
    Probe(TSprite* parent, std::string name, std::vector<std::string>& journal, TRect box = {})
        : TSprite(parent), name_(std::move(name)), journal_(journal) {
        X = box.Left;
        Y = box.Top;
        Width = box.Width();
        Height = box.Height();
    }
    void DoDraw() override { journal_.push_back("draw " + name_); }
    void DoMove(int count) override {
        journal_.push_back("move " + name_ + " " + std::to_string(count));
        if (onMove) {
            onMove(*this);
        }
    }
    void DoCollision(TSprite* sprite, bool& done) override {
        journal_.push_back("hit " + name_ + " " + static_cast<Probe*>(sprite)->name_);
        if (onHit) {
            onHit(*this, done);
        }
    }
    std::function<void(Probe&)> onMove;
    std::function<void(Probe&, bool&)> onHit;

private:
    std::string name_;
    std::vector<std::string>& journal_;
};

class SpriteTest : public ::testing::Test {
protected:
    SpriteTest() : surface(800, 600) { engine.SetSurface(&surface); }
    Probe* Add(const std::string& name, TRect box = {0, 0, 10, 10}, TSprite* parent = nullptr) {
        return new Probe(parent != nullptr ? parent : &engine, name, journal, box);
    }
    std::vector<std::string> TakeJournal() { return std::exchange(journal, {}); }

    TDirectDrawSurface surface;
    TSpriteEngine engine;
    std::vector<std::string> journal;
};

TEST_F(SpriteTest, EqualZDrawsLastCreatedFirstAndZChangesResort) {
    Add("a");
    Add("b");
    Probe* c = Add("c");
    engine.Draw();
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"draw c", "draw b", "draw a"}));

    Probe* a = static_cast<Probe*>(engine.Items(0));
    a->SetZ(1);
    engine.Draw();
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"draw c", "draw b", "draw a"}));

    c->SetZ(1); // joins a at Z 1, beneath it
    engine.Draw();
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"draw b", "draw c", "draw a"}));

    a->SetZ(0); // back among the zeros: first of them
    engine.Draw();
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"draw a", "draw b", "draw c"}));
    EXPECT_EQ(engine.Items(0), a); // creation order is untouched
}

TEST_F(SpriteTest, DrawPassSkipsBoxesThatOnlyTouchTheSurface) {
    struct Case {
        TRect box;
        bool drawn;
    };
    const Case cases[] = {
        {{-10, 0, 0, 10}, false},   // right edge = 0
        {{-10, 0, 1, 10}, true},    // one column inside
        {{800, 0, 810, 10}, false}, // left edge = surface width
        {{799, 0, 809, 10}, true},  //
        {{0, -10, 10, 0}, false},   // bottom edge = 0
        {{0, 600, 10, 610}, false}, //
        {{0, 599, 10, 609}, true},  //
        {{-5, -5, 900, 900}, true}, // covers the whole surface
        {{10, 10, 10, 20}, true},   // only edges count, not emptiness
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.box.Left) + "," + std::to_string(c.box.Top));
        engine.Clear();
        Add("s", c.box);
        engine.Draw();
        EXPECT_EQ(engine.DrawCount(), c.drawn ? 1 : 0);
        EXPECT_EQ(TakeJournal().size(), c.drawn ? 1u : 0u);
    }
}

TEST_F(SpriteTest, InvisibleSubtreeIsSkippedButOffscreenParentStillDrawsChildren) {
    Probe* parent = Add("parent", {-100, -100, -90, -90});
    Add("child", {150, 150, 160, 160}, parent); // at world 50, 50
    engine.Draw();
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"draw child"}));
    EXPECT_EQ(engine.DrawCount(), 1);

    parent->Visible = false;
    engine.Draw();
    EXPECT_TRUE(TakeJournal().empty());
    EXPECT_EQ(engine.DrawCount(), 0);
}

TEST_F(SpriteTest, MovePassSkipsUnmovedSubtreesAndSpritesAddedDuringIt) {
    Probe* a = Add("a");
    Add("a1", {}, a);
    Probe* b = Add("b");
    b->Moved = false;
    Add("b1", {}, b);
    a->onMove = [this](Probe& self) {
        self.onMove = nullptr;
        Add("late");
    };
    engine.Move(3);
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"move a 3", "move a1 3"}));
    engine.Move(1);
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"move a 1", "move a1 1", "move late 1"}));
}

TEST_F(SpriteTest, DeadSpritesStayUntilTheSweepAndGoOnce) {
    Probe* a = Add("a");
    Probe* b = Add("b");
    EXPECT_EQ(engine.AllCount(), 2);
    a->Dead();
    a->Dead();
    ASSERT_EQ(engine.DeadList().size(), 1u);
    EXPECT_TRUE(a->Deaded());
    EXPECT_EQ(a->Collision(), 0); // a dead sprite runs no pass of its own
    engine.Draw();                // but is still drawn
    EXPECT_EQ(engine.DrawCount(), 2);
    engine.Dead();
    EXPECT_EQ(engine.Count(), 1);
    EXPECT_EQ(engine.Items(0), b);
    EXPECT_EQ(engine.AllCount(), 1);
    EXPECT_TRUE(engine.DeadList().empty());
}

TEST_F(SpriteTest, ParentAndChildBothDeadAreDestroyedOnceInEitherOrder) {
    for (bool parentFirst : {true, false}) {
        SCOPED_TRACE(parentFirst ? "parent first" : "child first");
        Probe* parent = Add("p");
        Probe* child = Add("c", {}, parent);
        Add("grandchild", {}, child);
        Add("other");
        if (parentFirst) {
            parent->Dead();
            child->Dead();
        } else {
            child->Dead();
            parent->Dead();
        }
        EXPECT_EQ(engine.AllCount(), 4);
        engine.Dead(); // ASan reports a second destruction
        EXPECT_EQ(engine.AllCount(), 1);
        EXPECT_EQ(engine.Count(), 1);
        EXPECT_TRUE(engine.DeadList().empty());
        engine.Clear();
        EXPECT_EQ(engine.AllCount(), 0);
    }
}

TEST_F(SpriteTest, DeletingADeadSpriteTakesItOffTheDeadList) {
    Probe* a = Add("a");
    a->Dead();
    delete a;
    EXPECT_TRUE(engine.DeadList().empty());
    engine.Dead();
    EXPECT_EQ(engine.AllCount(), 0);
}

TEST_F(SpriteTest, ItemsOutsideTheListRaise) {
    try {
        engine.Items(0);
        FAIL();
    } catch (const ESpriteError& e) {
        EXPECT_STREQ(e.what(), "Index of the list exceeds the range. (0)");
    }
    Add("a");
    EXPECT_THROW(engine.Items(1), EListError);
    EXPECT_THROW(engine.Items(-1), EListError);
}

TEST_F(SpriteTest, WorldPositionAddsParentsUpToTheRoot) {
    engine.X = 5;
    Probe* parent = Add("p", {10, 20, 20, 30});
    Probe* child = Add("c", {-3, 4, 7, 14}, parent);
    EXPECT_DOUBLE_EQ(child->WorldX(), 12);
    EXPECT_DOUBLE_EQ(child->WorldY(), 24);
    EXPECT_EQ(child->BoundsRect(), (TRect{12, 24, 22, 34}));
}

TEST_F(SpriteTest, CollisionPassFindsOverlapsInCreationOrder) {
    Probe* hero = Add("hero", {0, 0, 20, 20});
    Add("touching", {20, 0, 30, 20}); // shares no pixel
    Add("fish1", {19, 19, 30, 30});
    Probe* shy = Add("shy", {5, 5, 10, 10});
    shy->Collisioned = false;
    Add("inside", {0, 0, 5, 5}, shy); // skipped with its parent
    Add("fish2", {-5, -5, 1, 1});
    EXPECT_EQ(hero->Collision(), 2);
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"hit hero fish1", "hit hero fish2"}));
}

TEST_F(SpriteTest, NonCollidingSpriteRunsNoPass) {
    Probe* hero = Add("hero", {0, 0, 20, 20});
    Add("fish", {0, 0, 20, 20});
    hero->Collisioned = false;
    EXPECT_EQ(hero->Collision(), 0);
    EXPECT_TRUE(TakeJournal().empty());
}

TEST_F(SpriteTest, HitThatKillsStopsTheDescentButNotTheSiblings) {
    Probe* shot = Add("shot", {0, 0, 20, 20});
    Probe* school = Add("school", {0, 0, 20, 20});
    Add("member", {0, 0, 20, 20}, school);
    Add("fish", {0, 0, 20, 20});
    shot->onHit = [](Probe& self, bool&) { self.Dead(); };
    EXPECT_EQ(shot->Collision(), 2);
    // The school's children are not visited once the shot is dead; the next
    // top-level sprite still is.
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"hit shot school", "hit shot fish"}));
}

TEST_F(SpriteTest, DoneFlagAndDeadTargetsAndFixedRect) {
    Probe* net = Add("net", {0, 0, 20, 20});
    Probe* group = Add("group", {0, 0, 20, 20});
    Add("inner", {0, 0, 20, 20}, group);
    Probe* corpse = Add("corpse", {0, 0, 20, 20});
    corpse->Dead(); // a dead sprite can still be hit
    net->onHit = [](Probe& self, bool& done) {
        done = true;
        self.X = 500; // the pass keeps the rectangle it started with
    };
    EXPECT_EQ(net->Collision(), 2);
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"hit net group", "hit net corpse"}));
}

// Pattern geometry of image sprites does not matter for their animation.
struct AnimCase {
    int count;
    bool looped;
    double speed;
    int pos;
    int moveCount;
    int expectedPos;
    double expectedSpeed;
};

class AnimationTest : public ::testing::TestWithParam<AnimCase> {};

TEST_P(AnimationTest, Advances) {
    const AnimCase& c = GetParam();
    TSpriteEngine engine;
    auto* sprite = new TImageSprite(&engine);
    sprite->AnimCount = c.count;
    sprite->AnimLooped = c.looped;
    sprite->AnimSpeed = c.speed;
    sprite->AnimPos = c.pos;
    sprite->DoMove(c.moveCount);
    EXPECT_EQ(sprite->AnimPos, c.expectedPos);
    EXPECT_DOUBLE_EQ(sprite->AnimSpeed, c.expectedSpeed);
}

INSTANTIATE_TEST_SUITE_P(Table, AnimationTest,
                         ::testing::Values(AnimCase{4, true, 1, 3, 1, 0, 1},      // wraps
                                           AnimCase{4, true, 1, 3, 5, 0, 1},      // 8 mod 4
                                           AnimCase{4, true, -1, 0, 1, 3, -1},    // backwards
                                           AnimCase{0, true, 1, 3, 1, 0, 1},      // no frames
                                           AnimCase{4, false, 1, 3, 1, 3, 0},     // stops on last
                                           AnimCase{4, false, 1, 0, 10, 3, 0},    //
                                           AnimCase{4, false, -1, 0, 1, 0, 0},    // below 0
                                           AnimCase{4, false, 0.5, 0, 1, 0, 0.5}, // round(0.5)=0
                                           AnimCase{4, false, 0.5, 0, 3, 2, 0.5}, // round(1.5)=2
                                           AnimCase{8, true, 0.5, 0, 5, 2, 0.5},  // round(2.5)=2
                                           AnimCase{0, false, 1, 0, 1, 0, 0}));   // empty

TEST(ImageSpriteBounds, TileWrapsAroundTheSurface) {
    TDirectDrawSurface surface(800, 600);
    TSpriteEngine engine;
    engine.SetSurface(&surface);
    auto* sprite = new TImageSprite(&engine);
    sprite->Width = 100;
    sprite->Height = 50;
    sprite->Tile = true;
    struct Case {
        int x, y, left, top;
    };
    const Case cases[] = {
        {0, 0, 0, 0},      {800, 600, 800, 600}, {801, 0, -99, 0}, {-1, -1, -1, -1},
        {-100, 0, 800, 0}, {-101, 0, 799, 0},    {1800, 0, 0, 0},  {0, 651, 0, 1},
    };
    for (const Case& c : cases) {
        sprite->X = c.x;
        sprite->Y = c.y;
        const TRect r = sprite->BoundsRect();
        EXPECT_EQ(r.Left, c.left) << c.x;
        EXPECT_EQ(r.Top, c.top) << c.y;
        EXPECT_EQ(r.Width(), 100);
    }
}

// A tiled map of keyed chips, wherever it is scrolled, shows exactly the
// cells of the map repeated over the surface: cell k of a row sits at
// X + k * chip width, wrapping around the map.
TEST(BackgroundSprite, TiledMapMatchesThePixelByPixelTiling) {
    constexpr std::uint32_t kKeyPixel = 0xFF00FF;
    const auto picture = [](int x, int y) {
        return (x * 3 + y) % 11 == 0 ? kKeyPixel : CoordinatePixel(x, y);
    };
    FakeVideo video;
    TDXDraw draw(&video);
    TDXImageList list;
    list.SetDXDraw(&draw);
    draw.Initialize();
    TPictureCollectionItem* item = list.Items.Add();
    item->Picture = MakePicture(90, 70, picture); // chips 30 x 35: three across, two down
    item->PatternWidth = 30;
    item->PatternHeight = 35;
    item->SetTransparentColor(RGBColor(255, 0, 255));
    item->Restore();

    TDirectDrawSurface surface(200, 150);
    TSpriteEngine engine;
    engine.SetSurface(&surface);
    auto* background = new TBackgroundSprite(&engine);
    background->Image = item;
    background->Tile = true;
    background->SetMapSize(3, 2);
    const int chips[2][3] = {{5, 0, 3}, {-1, 4, 1}}; // -1: an empty cell
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            background->SetChip(column, row, chips[row][column]);
        }
    }
    const auto wrap = [](int value, int divisor) {
        return ((value % divisor) + divisor) % divisor;
    };
    const int offsets[][2] = {{0, 0}, {-7, -50}, {13, 22}, {-31, 5}, {100, -1}, {-95, -75}};
    for (const auto& offset : offsets) {
        SCOPED_TRACE("at " + std::to_string(offset[0]) + ", " + std::to_string(offset[1]));
        background->X = offset[0];
        background->Y = offset[1];
        surface.Fill(0x123456);
        engine.Draw();
        int wrong = 0;
        for (int y = 0; y < surface.Height(); ++y) {
            for (int x = 0; x < surface.Width(); ++x) {
                // Where (x, y) falls inside its chip, and which cell of the map.
                const int u = wrap(x - offset[0], 30);
                const int v = wrap(y - offset[1], 35);
                const int chip =
                    chips[wrap((y - offset[1] - v) / 35, 2)][wrap((x - offset[0] - u) / 30, 3)];
                std::uint32_t expected = 0x123456;
                if (chip >= 0) {
                    const std::uint32_t pixel = picture(chip % 3 * 30 + u, chip / 3 * 35 + v);
                    expected = pixel == kKeyPixel ? expected : pixel;
                }
                wrong += surface.Pixel(x, y) != expected ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

} // namespace
