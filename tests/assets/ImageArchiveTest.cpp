#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "StreamBuilder.h"
#include "assets/ArchiveWriter.h"
#include "assets/Errors.h"
#include "assets/ImageArchive.h"
#include "assets/Stream.h"

namespace {

struct Loaded {
    std::vector<ImageItemData> items;
    std::array<std::uint8_t, 1024> colorTable{};
    bool haveColorTable = false;
    std::string error; // "" when the load succeeded
};

Loaded Load(const std::vector<std::uint8_t>& bytes) {
    Loaded loaded;
    ImageArchiveHandler handler;
    handler.Item = [&](ImageItemData&& item) { loaded.items.push_back(std::move(item)); };
    handler.Clear = [&] { loaded.items.clear(); };
    handler.ColorTable = [&](const std::array<std::uint8_t, 1024>& table) {
        loaded.colorTable = table;
        loaded.haveColorTable = true;
    };
    TMemoryView stream(bytes);
    try {
        ReadImageArchiveStream(stream, handler);
    } catch (const EAssetError& e) {
        loaded.error = e.what();
    }
    return loaded;
}

std::vector<std::uint8_t> SmallDib() {
    return EncodeDib(2, 1, {0xFF0000, 0x0000FF}, DibEncoding{24, 0});
}

Bytes NamedItem(const std::string& name) {
    Bytes b;
    b.Property("Name").String(name);
    return b;
}

} // namespace

TEST(ImageArchiveTest, WrittenArchivesReadBackWithEveryProperty) {
    ImageItemSpec hero;
    hero.Name = "hero";
    hero.Width = 4;
    hero.Height = 2;
    hero.Pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    hero.PatternWidth = 2;
    hero.PatternHeight = -1;
    hero.SkipWidth = 300;
    hero.SkipHeight = 70000;
    hero.SystemMemory = true;
    hero.Transparent = false;
    hero.TransparentColor = 0xFF00FF;
    ImageItemSpec empty;
    empty.Name = "\xEC\xE5\xED\xFE"; // code page 1251 bytes stay as they are
    const std::vector<std::uint8_t> bytes = ImageArchiveBytes({hero, empty});

    // The container header: 0xFF, type 10, the class name in capitals, the
    // flags and the size of the stream that follows.
    const std::string name = "TPICTURECOLLECTIONCOMPONENT";
    ASSERT_GT(bytes.size(), name.size() + 14);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 10);
    EXPECT_EQ(std::string(bytes.begin() + 3, bytes.begin() + 3 + name.size()), name);
    const std::size_t flagsAt = 3 + name.size() + 1;
    EXPECT_EQ(bytes[flagsAt] | bytes[flagsAt + 1] << 8, 0x1030);
    const std::uint32_t size = bytes[flagsAt + 2] | bytes[flagsAt + 3] << 8 |
                               bytes[flagsAt + 4] << 16 | bytes[flagsAt + 5] << 24;
    EXPECT_EQ(size, bytes.size() - (flagsAt + 6));
    EXPECT_EQ(std::string(bytes.begin() + flagsAt + 6, bytes.begin() + flagsAt + 10), "TPF0");

    Loaded loaded = Load(bytes);
    ASSERT_EQ(loaded.error, "");
    EXPECT_TRUE(loaded.haveColorTable);
    ASSERT_EQ(loaded.items.size(), 2u);
    ImageItemData& a = loaded.items[0];
    EXPECT_EQ(a.Name, "hero");
    EXPECT_EQ(a.Picture.Pixels(), hero.Pixels);
    EXPECT_EQ(a.Picture.BitCount(), 8);
    EXPECT_EQ(a.PatternWidth, 2);
    EXPECT_EQ(a.PatternHeight, -1);
    EXPECT_EQ(a.SkipWidth, 300);
    EXPECT_EQ(a.SkipHeight, 70000);
    EXPECT_TRUE(a.SystemMemory);
    EXPECT_FALSE(a.Transparent);
    EXPECT_EQ(a.TransparentColor, 0xFF00FFu);
    EXPECT_EQ(loaded.items[1].Name, empty.Name);
    EXPECT_TRUE(loaded.items[1].Picture.Empty());
}

TEST(ImageArchiveTest, PicturesAreStoredInTheSmallestFittingLayout) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> pixels;
        int bitCount;
        int compression;
        int bits;
    };
    std::vector<std::uint32_t> flat(64 * 8, 0x123456);
    std::vector<std::uint32_t> noisy;
    std::vector<std::uint32_t> many;
    for (std::uint32_t i = 0; i < 64 * 8; ++i) {
        noisy.push_back((i * 7919) % 200);
        many.push_back(i * 0x010203 & 0xFFFFFF);
    }
    const Case cases[] = {
        {"one colour: RLE8", flat, 8, 1, 0},
        {"200 colours in noise: plain 8 bits", noisy, 8, 0, 0},
        {"more than 256 colours: 24 bits", many, 24, 0, 0},
        {"asked for 32 bits", many, 32, 3, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageItemSpec itemSpec;
        itemSpec.Width = 64;
        itemSpec.Height = 8;
        itemSpec.Pixels = c.pixels;
        itemSpec.BitCount = c.bits;
        Loaded loaded = Load(ImageArchiveBytes({itemSpec}));
        ASSERT_EQ(loaded.items.size(), 1u);
        EXPECT_EQ(loaded.items[0].Picture.BitCount(), c.bitCount);
        EXPECT_EQ(loaded.items[0].Picture.Compression(), c.compression);
        EXPECT_EQ(loaded.items[0].Picture.Pixels(), c.pixels);
    }
}

TEST(ImageArchiveTest, ItemPropertiesTakeTheirStoredFormsAndDefaults) {
    struct Case {
        const char* name;
        Bytes item;
        void (*check)(const ImageItemData&);
    };
    const Case cases[] = {
        {"defaults", NamedItem("a"),
         [](const ImageItemData& i) {
             EXPECT_TRUE(i.Transparent);
             EXPECT_EQ(i.TransparentColor, 0u);
             EXPECT_FALSE(i.SystemMemory);
             EXPECT_EQ(i.PatternWidth, 0);
             EXPECT_TRUE(i.Picture.Empty());
         }},
        {"colour identifier in any case", Bytes().Property("TransparentColor").Ident("clfuchsia"),
         [](const ImageItemData& i) { EXPECT_EQ(i.TransparentColor, 0xFF00FFu); }},
        {"system colour identifier", Bytes().Property("TransparentColor").Ident("clBtnFace"),
         [](const ImageItemData& i) { EXPECT_EQ(i.TransparentColor, 0xFF00000Fu); }},
        {"Int8 0xFF is -1", Bytes().Property("PatternWidth").Int8(0xFF),
         [](const ImageItemData& i) { EXPECT_EQ(i.PatternWidth, -1); }},
        {"Int16 sign-extended", Bytes().Property("SkipWidth").Int16(0xFFFE),
         [](const ImageItemData& i) { EXPECT_EQ(i.SkipWidth, -2); }},
        {"truth value as identifier", Bytes().Property("Transparent").Ident("False"),
         [](const ImageItemData& i) { EXPECT_FALSE(i.Transparent); }},
        {"names without regard to case", Bytes().Property("systemmemory").True(),
         [](const ImageItemData& i) { EXPECT_TRUE(i.SystemMemory); }},
        {"long string", Bytes().Property("Name").U8(0x0C).U32(3).Raw("abc"),
         [](const ImageItemData& i) { EXPECT_EQ(i.Name, "abc"); }},
        {"UTF-16 to code page 1251",
         Bytes().Property("Name").U8(0x12).U32(3).U16(0x0440).U16(0x044B).U16('b'),
         [](const ImageItemData& i) {
             EXPECT_EQ(i.Name, "\xF0\xFB"
                               "b");
         }},
        {"UTF-8 to code page 1251",
         Bytes().Property("Name").U8(0x14).U32(4).Raw("\xD1\x8B"
                                                      "ab"),
         [](const ImageItemData& i) {
             EXPECT_EQ(i.Name, "\xFB"
                               "ab");
         }},
        {"unknown graphic class leaves no picture", PictureData(SmallDib(), "TDib"),
         [](const ImageItemData& i) { EXPECT_TRUE(i.Picture.Empty()); }},
        {"TBitmap with its file header",
         PictureData(Bytes()
                         .U32(static_cast<std::uint32_t>(14 + SmallDib().size()))
                         .Raw("BM")
                         .U32(0)
                         .U32(0)
                         .U32(0)
                         .Raw(SmallDib())
                         .data,
                     "TBitmap"),
         [](const ImageItemData& i) {
             EXPECT_EQ(i.Picture.Pixels(), (std::vector<std::uint32_t>{0xFF0000, 0x0000FF}));
         }},
        {"TBitmap of 0 bytes", PictureData(Bytes().U32(0).data, "TBitmap"),
         [](const ImageItemData& i) { EXPECT_TRUE(i.Picture.Empty()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded loaded = Load(Archive(List({c.item})));
        ASSERT_EQ(loaded.error, "");
        ASSERT_EQ(loaded.items.size(), 1u);
        c.check(loaded.items[0]);
    }
}

TEST(ImageArchiveTest, StreamsInOtherShapesAreAccepted) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::size_t items;
    };
    Bytes indexed;
    indexed.Property("List").U8(0x0E).Int8(5).U8(0x01).Raw(NamedItem("a")).End().End();
    Bytes prefixed;
    prefixed.U8(0xFF).U16(10).U8(0).U16(0x1030).U32(0).Raw("TPF0").U8(0xF2).Int8(3);
    prefixed.Short("X").Short("Root_1").Raw(List({NamedItem("a")})).End().End();
    Bytes twoLists = List({NamedItem("a"), NamedItem("b")});
    twoLists.Raw(List({NamedItem("c")}));
    Bytes colors;
    colors.Property("List.ColorTable").Block(std::vector<std::uint8_t>(2048, 7));
    colors.Property("Tag").Int32(99);
    const Case cases[] = {
        {"empty collection", Archive(Bytes().Property("List").U8(0x0E).End()), 0},
        {"empty resource name", Archive(List({NamedItem("a")}), "X", "", ""), 1},
        {"item index before the list", Archive(indexed), 1},
        {"flags prefix with a position", prefixed.data, 1},
        {"a second list replaces the first", Archive(twoLists), 1},
        {"colour table of 2048 bytes and a tag", Archive(colors), 0},
        {"nil list", Archive(Bytes().Property("List").U8(0x0D)), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded loaded = Load(c.bytes);
        EXPECT_EQ(loaded.error, "");
        EXPECT_EQ(loaded.items.size(), c.items);
    }
    Loaded colored = Load(Archive(colors));
    EXPECT_TRUE(colored.haveColorTable);
    EXPECT_EQ(colored.colorTable[1023], 7);
}

TEST(ImageArchiveTest, DamagedStreamsFailWithTheReadersMessages) {
    const std::string list = "Error reading TPictureCollectionComponent.List: ";
    const std::string item = list + "Error reading TPictureCollectionItem.";
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string message;
    };
    Bytes noHeader;
    noHeader.Raw("TPF0").Short("TPictureCollectionComponent").Short("").End().End();
    Bytes badDib = NamedItem("a");
    badDib.Raw(PictureData(Bytes().U32(41).Raw(std::string(36, '\0')).data));
    Bytes noListTag;
    noListTag.Property("List").U8(0x0E).U8(0x02).U8(1).Raw(NamedItem("a")).End().End();
    Bytes longBlock;
    longBlock.Property("Picture.Data").U8(0x0A).U32(0x7FFFFFF0).Raw("TDIB");
    Bytes longString;
    longString.Property("Name").U8(0x0C).U32(0xFFFFFFFF);
    Bytes wideString;
    wideString.Property("Name").U8(0x12).U32(0x80000001);
    const Case cases[] = {
        {"no container header", noHeader.data, "Invalid stream format"},
        {"wrong resource type", Bytes().U8(0xFF).U16(11).U8(0).U16(0).U32(0).Raw("TPF0").data,
         "Invalid stream format"},
        {"wrong signature", Archive(Bytes(), "X").size() ? [] {
             auto b = Archive(Bytes(), "X", "", "");
             b[11] = 'X';  // "TPF0" of an empty resource name starts at 10
             return b;
         }() : std::vector<std::uint8_t>{}, "Invalid stream format"},
        {"cut after the header", Bytes().U8(0xFF).U16(10).U8(0).U16(0).U32(0).data,
         "Stream read error"},
        {"cut inside the list", [] {
             auto b = Archive(List({NamedItem("abc")}));
             b.resize(b.size() - 4);
             return b;
         }(), list + "Stream read error"},
        {"invalid component name", Archive(Bytes(), "X", "1abc"),
         "''1abc'' is not a valid component name"},
        {"taken component name", Archive(Bytes().Property("Foo").True(), "X", "mainform"),
         "Error reading mainform_1.Foo: Property Foo does not exist"},
        {"component name in the message", Archive(Bytes().Property("Foo").True(), "X", "Images"),
         "Error reading Images.Foo: Property Foo does not exist"},
        {"sound property in an image item",
         Archive(List({Bytes().Property("Looped").True()})),
         item + "Looped: Property Looped does not exist"},
        {"bad bitmap", Archive(List({badDib})), item + "Picture.Data: DIB is invalid"},
        {"bit count", Archive(List({PictureData(Bytes().U32(40).U32(1).U32(1).U16(1).U16(7)
                                                     .Raw(std::string(24, '\0')).Raw(std::string(512, '\0'))
                                                     .data)})),
         item + "Picture.Data: Bitcount in invalid (7)"},
        {"TBitmap without BM",
         Archive(List({PictureData(Bytes().U32(20).Raw("XX").Raw(std::string(18, '\0')).data,
                                   "TBitmap")})),
         item + "Picture.Data: Bitmap image is not valid"},
        {"colour table of 1023 bytes",
         Archive(Bytes().Property("List.ColorTable").Block(std::vector<std::uint8_t>(1023))),
         "Error reading TPictureCollectionComponent.List.ColorTable: Stream read error"},
        {"unknown colour identifier",
         Archive(List({Bytes().Property("TransparentColor").Ident("clPink")})),
         item + "TransparentColor: Invalid property value"},
        {"string for an integer", Archive(List({Bytes().Property("PatternWidth").String("3")})),
         item + "PatternWidth: Invalid property value"},
        {"extended float for a colour",
         Archive(List({Bytes().Property("TransparentColor").U8(0x05).Raw(std::string(10, '\0'))})),
         item + "TransparentColor: Invalid property value"},
        {"integer for a truth value", Archive(List({Bytes().Property("Transparent").Int8(1)})),
         item + "Transparent: Invalid property value"},
        {"identifier other than True or False",
         Archive(List({Bytes().Property("Transparent").Ident("Yes")})),
         item + "Transparent: Invalid property value"},
        {"string for a block", Archive(List({Bytes().Property("Picture.Data").String("x")})),
         item + "Picture.Data: Invalid property value"},
        {"path through a plain property", Archive(List({Bytes().Property("Name.Data").String("x")})),
         item + "Name.Data: Invalid property path"},
        {"path through a missing property",
         Archive(List({Bytes().Property("Bitmap.Data").String("x")})),
         item + "Bitmap.Data: Invalid property path"},
        {"unknown stored data", Archive(List({Bytes().Property("Picture.Graphic").String("x")})),
         item + "Picture.Graphic: Property Graphic does not exist"},
        {"missing list tag", Archive(noListTag), list + "Invalid property value"},
        {"list for a property", Archive(Bytes().Property("List").U8(0x01).End()),
         "Error reading TPictureCollectionComponent.List: Invalid property value"},
        {"block longer than the file", Archive(List({longBlock})),
         item + "Picture.Data: Stream read error"},
        // The pixels are read in place from the archive: they must stop at
        // the end of their block, though the file goes on after it.
        {"pixels past the end of their block",
         Archive(List({PictureData(Bytes().U32(40).U32(4).U32(4).U16(1).U16(24)
                                       .Raw(std::string(24, '\0')).data),
                       NamedItem(std::string(200, 'x'))})),
         item + "Picture.Data: Stream read error"},
        {"long string longer than the file", Archive(List({longString})),
         item + "Name: Stream read error"},
        {"wide string longer than the file", Archive(List({wideString})),
         item + "Name: Stream read error"},
        {"path after a nil list",
         Archive(Bytes().Property("List").U8(0x0D).Property("List.ColorTable").Block({})),
         "Error reading TPictureCollectionComponent.List.ColorTable: Invalid property path"},
        {"child component", Archive(Bytes().End().U8(0x00).Short("TFoo").Short("")).size() ? [] {
             Bytes b;
             b.U8(0xFF).U16(10).U8(0).U16(0).U32(0).Raw("TPF0").Short("X").Short("");
             b.End().Short("TChild").Short("c").End().End().End();
             return b.data;
         }() : std::vector<std::uint8_t>{}, "Class TChild not found"},
        {"deeply nested lists", [] {
             Bytes b;
             b.Property("Tag");
             for (int i = 0; i < 100000; ++i) {
                 b.U8(0x01);
             }
             return Archive(b);
         }(), "Error reading TPictureCollectionComponent.Tag: Invalid property value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.bytes).error, c.message);
    }
}

TEST(ImageArchiveTest, ItemsReadBeforeAFailureStay) {
    Bytes failing = NamedItem("second");
    failing.Property("PatternWidth").Int8(8);
    failing.Property("Looped").True();
    failing.Property("PatternHeight").Int8(9);
    Loaded loaded = Load(Archive(List({NamedItem("first"), failing, NamedItem("third")})));
    EXPECT_NE(loaded.error, "");
    ASSERT_EQ(loaded.items.size(), 2u);
    EXPECT_EQ(loaded.items[0].Name, "first");
    EXPECT_EQ(loaded.items[1].Name, "second");
    EXPECT_EQ(loaded.items[1].PatternWidth, 8);
    EXPECT_EQ(loaded.items[1].PatternHeight, 0);
}

TEST(ImageArchiveTest, AMissingFileNamesItsFullPath) {
    try {
        ReadImageArchiveFile("no\\such\\file.dxg", {});
        FAIL();
    } catch (const EFOpenError& e) {
        // The full path in the system's own form: /home/... or C:\Users\...
        const std::string full = (std::filesystem::current_path() / "no" / "such" / "file.dxg")
                                     .make_preferred()
                                     .string();
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + full + "\". No such file or directory");
    }
}

namespace {

// An RLE8 picture that claims width x height but holds only "end of bitmap".
std::vector<std::uint8_t> ClaimingDib(std::uint32_t width, std::uint32_t height) {
    Bytes b;
    b.U32(40).U32(width).U32(height).U16(1).U16(8).U32(1).U32(2);
    b.U32(0).U32(0).U32(1).U32(0);
    b.U8(0).U8(0).U8(0).U8(0); // one colour
    b.U8(0).U8(1);             // end of bitmap
    return b.data;
}

Bytes ClaimingItem(const std::string& name, std::uint32_t width, std::uint32_t height) {
    Bytes b = NamedItem(name);
    b.Raw(PictureData(ClaimingDib(width, height)));
    return b;
}

const char* const kBadPicture = "Error reading TPictureCollectionComponent.List: Error reading "
                                "TPictureCollectionItem.Picture.Data: DIB is invalid";

} // namespace

TEST(ImageArchiveTest, PicturesClaimingMoreThanTheBudgetFailAsInvalid) {
    // 16384 x 16384 is within the side limit but four times the budget.
    Loaded bomb = Load(Archive(
        List({NamedItem("first"), ClaimingItem("bomb", 16384, 16384), NamedItem("never")})));
    EXPECT_EQ(bomb.error, kBadPicture);
    ASSERT_EQ(bomb.items.size(), 2u); // the failing item stays, without a picture
    EXPECT_EQ(bomb.items[1].Name, "bomb");
    EXPECT_TRUE(bomb.items[1].Picture.Empty());

    // The budget is shared by the whole archive: two pictures of half of it
    // each fit, a third does not, however small each one is alone.
    const std::uint32_t halfRows = static_cast<std::uint32_t>(kArchivePixelBudget / 2 / 16384);
    Loaded many =
        Load(Archive(List({ClaimingItem("a", 16384, halfRows), ClaimingItem("b", 16384, halfRows),
                           ClaimingItem("c", 1, 1)})));
    EXPECT_EQ(many.error, kBadPicture);
    ASSERT_EQ(many.items.size(), 3u);
    EXPECT_EQ(many.items[1].Picture.Width(), 16384);
    EXPECT_TRUE(many.items[2].Picture.Empty());
}

TEST(ImageArchiveTest, OverflowingSizesAreRejected) {
    struct Case {
        std::uint32_t width, height;
    };
    for (const Case c : {Case{0x7FFFFFFF, 1}, Case{1, 0x7FFFFFFF}, Case{1, 0x80000000},
                         Case{0xFFFFFFFF, 1}, Case{16385, 1}, Case{65536, 65536}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(Load(Archive(List({ClaimingItem("x", c.width, c.height)}))).error, kBadPicture);
    }
    // The largest a side may be still loads, as long as the budget holds it.
    EXPECT_EQ(Load(Archive(List({ClaimingItem("x", 16384, 1), ClaimingItem("y", 1, 16384)}))).error,
              "");
}
