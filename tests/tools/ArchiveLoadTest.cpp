// Loading image archives into the engine's picture collection.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "assets/ArchiveWriter.h"
#include "assets/Errors.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"

namespace fs = std::filesystem;

namespace {

class WorkDir {
public:
    WorkDir() : old_(fs::current_path()) {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("brinehold-load-" + std::to_string(random()));
        fs::create_directories(path_ / "Data");
        fs::current_path(path_);
    }
    ~WorkDir() {
        fs::current_path(old_);
        std::error_code ec;
        fs::remove_all(path_, ec);
    }

private:
    fs::path old_;
    fs::path path_;
};

ImageItemSpec Item(const std::string& name, int width) {
    ImageItemSpec itemSpec;
    itemSpec.Name = name;
    itemSpec.Width = width;
    itemSpec.Height = 1;
    itemSpec.Pixels.assign(static_cast<std::size_t>(width), 0x336699);
    itemSpec.PatternWidth = 1;
    itemSpec.TransparentColor = 0x0000FF;
    return itemSpec;
}

} // namespace

TEST(ArchiveLoadTest, ArchivesReplaceTheCollectionsItems) {
    WorkDir dir;
    WriteImageArchive("Data/Menu.dxg", {Item("menu", 4), Item("main1", 2)});
    WriteImageArchive("Data/GameGraphic.dxg", {Item("hero", 3)});
    TPictureCollection collection;
    collection.LoadFromFile("data\\menu.dxg");
    ASSERT_EQ(collection.Count(), 2);
    TPictureCollectionItem* menu = collection.Find("MENU");
    EXPECT_EQ(menu->Index(), 0);
    EXPECT_EQ(menu->Picture.Width(), 4);
    EXPECT_EQ(menu->Width(), 1);
    EXPECT_EQ(menu->TransparentColor(), 0x0000FFu);
    EXPECT_TRUE(menu->Transparent);

    collection.LoadFromFile("data\\gamegraphic.dxg");
    ASSERT_EQ(collection.Count(), 1);
    EXPECT_EQ(collection.Items(0)->Name(), "hero");
    EXPECT_THROW(collection.Find("menu"), EPictureCollectionError);
}

TEST(ArchiveLoadTest, AFailedLoadKeepsTheItemsReadBeforeIt) {
    WorkDir dir;
    ImageItemSpec bad = Item("broken", 1);
    bad.DibData = {40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 2, 0}; // cut, 2 bits
    WriteImageArchive("Data/menu.dxg", {Item("first", 2), bad, Item("third", 2)});
    TPictureCollection collection;
    EXPECT_THROW(collection.LoadFromFile("data\\menu.dxg"), EAssetError);
    ASSERT_EQ(collection.Count(), 2);
    EXPECT_EQ(collection.Items(1)->Name(), "broken");
    EXPECT_TRUE(collection.Items(1)->Picture.Empty());

    // A missing file leaves the collection empty.
    EXPECT_THROW(collection.LoadFromFile("data\\none.dxg"), EFOpenError);
    EXPECT_EQ(collection.Count(), 0);
}
