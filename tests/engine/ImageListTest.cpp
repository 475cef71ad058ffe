#include "engine/ImageList.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Fakes.h"
#include "engine/Errors.h"

namespace {

class ImageListTest : public ::testing::Test {
protected:
    ImageListTest() : draw(&video), target(800, 600) {
        list.SetDXDraw(&draw);
        draw.Initialize();
    }
    TPictureCollectionItem* AddItem(const std::string& name, int width, int height) {
        TPictureCollectionItem* item = list.Items.Add();
        item->SetName(name);
        item->Picture = MakePicture(width, height, CoordinatePixel);
        return item;
    }
    // Draws the pattern at (0, 0) of a cleared target.
    void DrawAlone(TPictureCollectionItem* item, int pattern) {
        target.Fill(0);
        item->Draw(&target, 0, 0, pattern);
    }

    FakeVideo video;
    TDXDraw draw;
    TDXImageList list;
    TDirectDrawSurface target;
};

struct GridCase {
    const char* what;
    int pictureWidth, pictureHeight;
    int patternWidth, patternHeight, skipWidth, skipHeight;
    int patterns;
};

TEST_F(ImageListTest, PatternGridsAndTheirPixels) {
    const GridCase cases[] = {
        {"four across", 128, 32, 32, 32, 0, 0, 4},
        {"skip 4: (128+4) div 36", 128, 32, 32, 32, 4, 0, 3},
        {"whole picture", 128, 32, 0, 0, 0, 0, 1},
        {"pattern size = picture", 128, 32, 128, 32, 0, 0, 1},
        {"rows with skips", 70, 50, 20, 15, 5, 2, 9},
        {"pattern larger than picture", 30, 30, 40, 10, 0, 0, 0},
        {"blocks of about 512", 1100, 70, 50, 35, 3, 0, 40},
        {"tall blocks", 20, 1300, 20, 100, 0, 20, 11},
        {"negative skip to a stride of 0", 40, 40, 10, 10, -10, 0, 0},
    };
    for (bool systemMemory : {false, true}) {
        for (const GridCase& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (systemMemory ? " system memory" : ""));
            list.Items.Clear();
            TPictureCollectionItem* item = AddItem("grid", c.pictureWidth, c.pictureHeight);
            item->PatternWidth = c.patternWidth;
            item->PatternHeight = c.patternHeight;
            item->SkipWidth = c.skipWidth;
            item->SkipHeight = c.skipHeight;
            item->SystemMemory = systemMemory;
            item->Restore();
            ASSERT_EQ(item->PatternCount(), c.patterns);
            const int w = item->Width();
            const int h = item->Height();
            const int columns =
                c.patterns == 0 ? 0 : (c.pictureWidth + c.skipWidth) / (w + c.skipWidth);
            for (int k = 0; k < c.patterns; ++k) {
                const int left = (k % columns) * (w + c.skipWidth);
                const int top = (k / columns) * (h + c.skipHeight);
                DrawAlone(item, k);
                for (const auto& [x, y] :
                     {std::pair{0, 0}, std::pair{w - 1, h - 1}, std::pair{w / 2, 0}}) {
                    ASSERT_EQ(target.Pixel(x, y), CoordinatePixel(left + x, top + y))
                        << "pattern " << k << " at " << x << "," << y;
                }
                EXPECT_EQ(target.Pixel(w, 0), 0u);
                EXPECT_EQ(target.Pixel(0, h), 0u);
            }
            DrawAlone(item, c.patterns); // one past the last
            DrawAlone(item, -1);
            EXPECT_EQ(target.Pixel(0, 0), 0u);
        }
    }
}

TEST_F(ImageListTest, ExtremeGeometryNeitherOverflowsNorCutsTooMuch) {
    struct Case {
        int patternWidth, patternHeight, skipWidth, skipHeight;
        int patterns;
    };
    constexpr int kMax = 0x7FFFFFFF;
    constexpr int kMin = -0x7FFFFFFF - 1;
    const Case cases[] = {
        {kMax, kMax, 0, 0, 0},         {1, 1, kMax, kMax, 1},
        {kMax, 1, kMax, 0, 0},         {8, 8, kMin, 0, 0},
        {8, 8, kMin + 9, kMin + 9, 0}, {2, 2, kMax - 2, 0, 10},
        {kMin, kMin, kMax, kMax, 1},   {1, 1, -1, -1, 0},
    };
    for (bool systemMemory : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.patternWidth << " " << c.patternHeight << " "
                                              << c.skipWidth << " " << c.skipHeight);
            list.Items.Clear();
            TPictureCollectionItem* item = AddItem("odd", 40, 20);
            item->PatternWidth = c.patternWidth;
            item->PatternHeight = c.patternHeight;
            item->SkipWidth = c.skipWidth;
            item->SkipHeight = c.skipHeight;
            item->SystemMemory = systemMemory;
            item->Restore();
            EXPECT_EQ(item->PatternCount(), c.patterns);
            for (int k = 0; k < item->PatternCount(); ++k) {
                DrawAlone(item, k);
            }
        }
    }
    // One-pixel patterns of a large picture: only the first ones are cut.
    list.Items.Clear();
    TPictureCollectionItem* dust = AddItem("dust", 300, 300);
    dust->PatternWidth = 1;
    dust->PatternHeight = 1;
    dust->Restore();
    ASSERT_EQ(dust->PatternCount(), kMaxPatterns);
    DrawAlone(dust, static_cast<int>(kMaxPatterns) - 1);
    EXPECT_EQ(target.Pixel(0, 0), CoordinatePixel(static_cast<int>(kMaxPatterns - 1) % 300,
                                                  static_cast<int>(kMaxPatterns - 1) / 300));
}

TEST_F(ImageListTest, LargePicturesAreSplitIntoBlocks) {
    TPictureCollectionItem* item = AddItem("relief", 1100, 70);
    item->PatternWidth = 50;
    item->PatternHeight = 35;
    item->SkipWidth = 3;
    item->Restore();
    std::set<TDirectDrawSurface*> surfaces;
    for (int k = 0; k < item->PatternCount(); ++k) {
        surfaces.insert(item->PatternSurfaces(k));
        EXPECT_LE(item->PatternSurfaces(k)->Width(), 530);
    }
    // Blocks of 10 strides of 53 (530 pixels) across, one 70-pixel row down;
    // the third block, 40 pixels wide, holds no whole pattern.
    EXPECT_EQ(surfaces.size(), 2u);
    EXPECT_EQ(item->PatternRects(9), (TRect{477, 0, 527, 35}));
    EXPECT_EQ(item->PatternRects(10), (TRect{0, 0, 50, 35}));
    EXPECT_EQ(item->PatternRects(99), (TRect{}));
    EXPECT_EQ(item->PatternSurfaces(-1), nullptr);
}

TEST_F(ImageListTest, FindIgnoresCaseAndTheLastNamedWins) {
    TPictureCollectionItem* hero = AddItem("hero", 4, 4);
    AddItem("enemy1", 4, 4);
    EXPECT_EQ(list.Items.Find("Hero"), hero);
    EXPECT_EQ(list.Items.Find("HERO"), hero);
    TPictureCollectionItem* second = AddItem("HeRo", 4, 4);
    EXPECT_EQ(list.Items.Find("hero"), second);
    hero->SetName("hero"); // renamed last: wins again
    EXPECT_EQ(list.Items.Find("hero"), hero);
    second->SetName("bubble1");
    EXPECT_EQ(list.Items.Find("bubble1"), second);

    const std::string cyrillic = "\xC3\xE5\xF0\xEE\xE9"; // "Герой" in code page 1251
    TPictureCollectionItem* named = AddItem(cyrillic, 4, 4);
    EXPECT_EQ(list.Items.Find("\xE3\xE5\xF0\xEE\xE9"), named);

    try {
        list.Items.Find("fish");
        FAIL();
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "Image 'fish' not found");
    }
    EXPECT_EQ(list.Items.IndexOf("fish"), -1);
}

TEST_F(ImageListTest, IndexesFollowDeletion) {
    AddItem("a", 2, 2);
    TPictureCollectionItem* b = AddItem("b", 2, 2);
    TPictureCollectionItem* c = AddItem("c", 2, 2);
    list.Items.Delete(0);
    EXPECT_EQ(b->Index(), 0);
    EXPECT_EQ(c->Index(), 1);
    EXPECT_EQ(list.Items.Find("c"), c);
    EXPECT_THROW(list.Items.Find("a"), EPictureCollectionError);
    EXPECT_THROW(list.Items.Items(2), EListError);
}

TEST_F(ImageListTest, TransparentColourChangesAtOnce) {
    TPictureCollectionItem* item = list.Items.Add();
    item->Picture = MakePicture(2, 1, [](int x, int) { return x == 0 ? 0x000000u : 0x0000FFu; });
    item->Restore();
    target.Fill(0x111111);
    item->Draw(&target, 0, 0, 0); // black keyed out by default
    EXPECT_EQ(target.Pixel(0, 0), 0x111111u);
    EXPECT_EQ(target.Pixel(1, 0), 0x0000FFu);

    item->SetTransparentColor(RGBColor(0, 0, 255));
    target.Fill(0x111111);
    item->Draw(&target, 0, 0, 0);
    EXPECT_EQ(target.Pixel(0, 0), 0x000000u);
    EXPECT_EQ(target.Pixel(1, 0), 0x111111u);

    item->Transparent = false;
    item->Draw(&target, 0, 0, 0);
    EXPECT_EQ(target.Pixel(1, 0), 0x0000FFu);
}

TEST_F(ImageListTest, GeometryChangesShowInDrawsOnlyAfterRestore) {
    TPictureCollectionItem* item = AddItem("strip", 8, 3);
    item->Restore();
    ASSERT_EQ(item->PatternCount(), 1);
    item->PatternWidth = 1;
    EXPECT_EQ(item->Width(), 1);
    DrawAlone(item, 1);
    EXPECT_EQ(target.Pixel(0, 0), 0u);
    item->Restore();
    EXPECT_EQ(item->PatternCount(), 8);
    DrawAlone(item, 5);
    EXPECT_EQ(target.Pixel(0, 2), CoordinatePixel(5, 2));
    EXPECT_EQ(target.Pixel(1, 0), 0u);
}

TEST_F(ImageListTest, ItemsFollowTheDisplay) {
    TPictureCollectionItem* item = AddItem("menu", 3, 3);
    item->Restore();
    DrawAlone(item, 0);
    EXPECT_NE(target.Pixel(0, 0), 0u);

    draw.Finalize();
    EXPECT_FALSE(item->Initialized());
    EXPECT_EQ(item->PatternCount(), 0);
    DrawAlone(item, 0);
    EXPECT_EQ(target.Pixel(0, 0), 0u);
    item->Restore(); // cannot become drawable without the display
    EXPECT_EQ(item->PatternCount(), 0);

    draw.Initialize(); // the restore notification rebuilds every item
    DrawAlone(item, 0);
    EXPECT_EQ(target.Pixel(2, 2), CoordinatePixel(2, 2));

    item->PatternSurfaces(0)->Fill(0x55); // what a lost surface may hold
    draw.LoseSurfaces();
    ASSERT_TRUE(draw.CanDraw()); // restores: the items rebuild from their pictures
    DrawAlone(item, 0);
    EXPECT_EQ(target.Pixel(2, 2), CoordinatePixel(2, 2));
}

TEST_F(ImageListTest, JoiningAnInitialisedDisplayMakesItemsDrawable) {
    TDXImageList late;
    TPictureCollectionItem* item = late.Items.Add();
    item->Picture = MakePicture(2, 2, CoordinatePixel);
    late.SetDXDraw(&draw);
    EXPECT_TRUE(late.Items.Initialized());
    EXPECT_EQ(item->PatternCount(), 1);
    late.SetDXDraw(nullptr);
    EXPECT_FALSE(item->Initialized());
}

TEST(PictureCollection, CannotInitialiseWithoutAnInitialisedDisplay) {
    FakeVideo video;
    TDXDraw draw(&video);
    TPictureCollection collection;
    try {
        collection.InitializeImages(&draw);
        FAIL();
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "TPictureCollection cannot be initialized");
    }
    TPictureCollectionItem* item = collection.Add();
    item->Picture = MakePicture(2, 2, CoordinatePixel);
    item->Restore();
    EXPECT_EQ(item->PatternCount(), 0);
}

} // namespace
