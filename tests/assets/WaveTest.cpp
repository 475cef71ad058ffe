#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "StreamBuilder.h"
#include "TempDir.h"
#include "assets/ArchiveWriter.h"
#include "assets/Errors.h"
#include "assets/Paths.h"
#include "assets/Stream.h"
#include "assets/Wave.h"
#include "assets/WaveArchive.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes Chunk(const std::string& id, const std::vector<std::uint8_t>& body) {
    return Bytes().Raw(id).U32(static_cast<std::uint32_t>(body.size())).Raw(body);
}

Bytes Riff(const Bytes& chunks) {
    return Bytes().Raw("RIFF").U32(0).Raw("WAVE").Raw(chunks);
}

std::string ReadWave(const std::vector<std::uint8_t>& image, TWave& wave) {
    TMemoryView stream(image);
    try {
        wave.ReadWaveData(stream);
    } catch (const EAssetError& e) {
        return e.what();
    }
    return "";
}

const std::vector<std::uint8_t> kFormat = MakePcmFormat(2, 22050, 16);

struct LoadedWaves {
    std::vector<WaveItemData> items;
    std::string error;
};

LoadedWaves LoadWaves(const std::vector<std::uint8_t>& bytes) {
    LoadedWaves loaded;
    TMemoryView stream(bytes);
    try {
        ReadWaveArchiveStream(
            stream, [&](WaveItemData&& item) { loaded.items.push_back(std::move(item)); },
            [&] { loaded.items.clear(); });
    } catch (const EAssetError& e) {
        loaded.error = e.what();
    }
    return loaded;
}

} // namespace

TEST(WaveTest, ChunksAreTakenOrSkipped) {
    struct Case {
        const char* name;
        Bytes image;
        std::string error;
        std::size_t formatSize;
        std::vector<std::uint8_t> data;
    };
    const std::vector<std::uint8_t> samples = {1, 2, 3, 4, 5};
    const Case cases[] = {
        {"fmt, LIST, data",
         Riff(Bytes()
                  .Raw(Chunk("fmt ", kFormat))
                  .Raw(Chunk("LIST", {9, 9, 9, 9}))
                  .Raw(Chunk("data", samples))),
         "", 16, samples},
        {"data before fmt", Riff(Bytes().Raw(Chunk("data", samples)).Raw(Chunk("fmt ", kFormat))),
         "", 16, samples},
        {"no data chunk", Riff(Chunk("fmt ", kFormat)), "", 16, {}},
        {"odd body without a fill byte",
         Riff(Bytes().Raw(Chunk("junk", {7, 7, 7})).Raw(Chunk("data", samples))), "", 0, samples},
        {"format record of 18 bytes",
         Riff(Chunk("fmt ", std::vector<std::uint8_t>(18, 1))),
         "",
         18,
         {}},
        {"zero identifier ends the chunks",
         Riff(Bytes().Raw(Chunk("data", samples)).U32(0).U32(4).Raw(Chunk("data", {1}))), "", 0,
         samples},
        {"data longer than the image",
         Riff(Bytes().Raw(Chunk("fmt ", kFormat)).Raw("data").U32(1000).Raw(samples)),
         "Stream read error",
         0,
         {}},
        {"format longer than the image",
         Riff(Bytes().Raw("fmt ").U32(0xFFFFFFF0).Raw(kFormat)),
         "Stream read error",
         0,
         {}},
        {"not RIFF", Bytes().Raw("RIFX").U32(0).Raw("WAVE"), "Wave is invalid", 0, {}},
        {"not WAVE", Bytes().Raw("RIFF").U32(0).Raw("AVI "), "Wave is invalid", 0, {}},
        {"cut header", Bytes().Raw("RIFF").U32(0), "Wave is invalid", 0, {}},
        {"empty block", Bytes(), "Wave is invalid", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TWave wave;
        EXPECT_EQ(ReadWave(c.image.data, wave), c.error);
        EXPECT_EQ(wave.FormatSize(), c.formatSize);
        EXPECT_EQ(std::vector<std::uint8_t>(wave.Data(), wave.Data() + wave.Size()), c.data);
    }
}

TEST(WaveTest, SampleStorageGrowsInSteps) {
    TWave wave;
    for (auto [size, capacity] : std::vector<std::pair<std::size_t, std::size_t>>{
             {0, 0}, {1, 8096}, {8096, 8096}, {8097, 16192}, {100, 8096}}) {
        wave.SetSize(size);
        EXPECT_EQ(wave.Capacity(), capacity) << size;
    }
}

TEST(WaveTest, ForeignWaveFilesReadOrFailCleanly) {
    const fs::path waves = fs::path(BRINEHOLD_TESTDATA_DIR) / "waves";
    int read = 0;
    for (const auto& entry : fs::recursive_directory_iterator(waves)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        TWave wave;
        const std::string error = ReadWave(ReadFile(entry.path()), wave);
        EXPECT_TRUE(error.empty() || error == "Wave is invalid" || error == "Stream read error")
            << error;
        if (error.empty()) {
            ++read;
            // What was read survives being written and read again.
            TWave again;
            EXPECT_EQ(ReadWave(wave.WaveImage(), again), "");
            EXPECT_EQ(again.Format(), wave.Format());
            EXPECT_EQ(std::vector<std::uint8_t>(again.Data(), again.Data() + again.Size()),
                      std::vector<std::uint8_t>(wave.Data(), wave.Data() + wave.Size()));
        }
    }
    EXPECT_GE(read, 10);

    TWave stereo;
    ASSERT_EQ(ReadWave(ReadFile(waves / "waveformatex-16bit-44100Hz-stereo.wav"), stereo), "");
    EXPECT_EQ(stereo.FormatTag(), 1);
    EXPECT_EQ(stereo.Channels(), 2);
    EXPECT_EQ(stereo.SamplesPerSec(), 44100u);
    EXPECT_EQ(stereo.BitsPerSample(), 16);
    EXPECT_GT(stereo.Size(), 0u);
}

TEST(WaveArchiveTest, WrittenArchivesReadBackInOrder) {
    WaveItemSpec gun;
    gun.Name = "herogun";
    gun.MaxPlayingCount = 4;
    gun.Data = {1, 2, 3, 4};
    WaveItemSpec loop;
    loop.Name = "menu";
    loop.Looped = true;
    loop.Format = std::vector<std::uint8_t>(18, 3); // any record is kept as it is
    loop.Data = std::vector<std::uint8_t>(9000, 5);
    LoadedWaves loaded = LoadWaves(SoundArchiveBytes({gun, loop}));
    ASSERT_EQ(loaded.error, "");
    ASSERT_EQ(loaded.items.size(), 2u);
    const WaveItemData& a = loaded.items[0];
    EXPECT_EQ(a.Name, "herogun");
    EXPECT_FALSE(a.Looped);
    EXPECT_EQ(a.MaxPlayingCount, 4);
    EXPECT_TRUE(a.HasWave);
    EXPECT_EQ(a.Wave.Format(), MakePcmFormat(1, 22050, 16));
    EXPECT_EQ(std::vector<std::uint8_t>(a.Wave.Data(), a.Wave.Data() + a.Wave.Size()), gun.Data);
    const WaveItemData& b = loaded.items[1];
    EXPECT_TRUE(b.Looped);
    EXPECT_EQ(b.Wave.Format(), loop.Format);
    EXPECT_EQ(b.Wave.Size(), 9000u);
    EXPECT_EQ(b.Wave.Capacity(), 16192u);
}

TEST(WaveArchiveTest, PropertiesTakeTheirDefaultsAndLimits) {
    Bytes item;
    item.Property("Name").String("bonus").Property("MaxPlayingCount").Int8(-3);
    LoadedWaves loaded = LoadWaves(Archive(List({item}), "TWaveCollectionComponent"));
    ASSERT_EQ(loaded.error, "");
    ASSERT_EQ(loaded.items.size(), 1u);
    EXPECT_EQ(loaded.items[0].MaxPlayingCount, 0);
    EXPECT_FALSE(loaded.items[0].Looped);
    EXPECT_FALSE(loaded.items[0].HasWave);
    EXPECT_EQ(loaded.items[0].Wave.Size(), 0u);
}

TEST(WaveArchiveTest, FailuresAreWrappedAndKeepTheItemsRead) {
    const std::string item =
        "Error reading TWaveCollectionComponent.List: Error reading TWaveCollectionItem.";
    struct Case {
        const char* name;
        Bytes failing;
        std::string message;
    };
    const Case cases[] = {
        {"bad RIFF header",
         Bytes()
             .Property("Name")
             .String("b")
             .Property("Wave.WAVE")
             .Block(Bytes().Raw("RIFX").U32(0).Raw("WAVE").data),
         item + "Wave.WAVE: Wave is invalid"},
        {"data cut short",
         Bytes()
             .Property("Name")
             .String("b")
             .Property("Wave.WAVE")
             .Block(Riff(Bytes().Raw("data").U32(50).U32(0)).data),
         item + "Wave.WAVE: Stream read error"},
        {"image property in a sound item",
         Bytes().Property("Name").String("b").Property("Transparent").True(),
         item + "Transparent: Property Transparent does not exist"},
        {"colour table on the sound list",
         Bytes().Property("Name").String("b").Property("Wave.ColorTable").Block({}),
         item + "Wave.ColorTable: Property ColorTable does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedWaves loaded =
            LoadWaves(Archive(List({Bytes().Property("Name").String("a"), c.failing,
                                    Bytes().Property("Name").String("c")}),
                              "TWaveCollectionComponent"));
        EXPECT_EQ(loaded.error, c.message);
        ASSERT_EQ(loaded.items.size(), 2u);
        EXPECT_EQ(loaded.items[0].Name, "a");
        EXPECT_EQ(loaded.items[1].Name, "b");
    }
    LoadedWaves colorTable = LoadWaves(
        Archive(Bytes().Property("List.ColorTable").Block(std::vector<std::uint8_t>(1024)),
                "TWaveCollectionComponent"));
    EXPECT_EQ(colorTable.error, "Error reading TWaveCollectionComponent.List.ColorTable: "
                                "Property ColorTable does not exist");
}

TEST(WaveArchiveTest, FilesAreFoundWhateverTheCaseOfTheirPath) {
    TempDir temp;
    fs::create_directories(temp.Path() / "Sound");
    WaveItemSpec itemSpec;
    itemSpec.Name = "menu";
    WriteSoundArchive((temp.Path() / "Sound" / "GameSound.DXW").string(), {itemSpec});
    const fs::path old = fs::current_path();
    fs::current_path(temp.Path());
    std::vector<std::string> names;
    // A case-blind file system may give the path back as asked; either way it names the file.
    EXPECT_TRUE(fs::equivalent(ResolveGamePath("sound\\gamesound.dxw"), "Sound/GameSound.DXW"));
    ReadWaveArchiveFile("sound\\gamesound.dxw",
                        [&](WaveItemData&& item) { names.push_back(item.Name); });
    EXPECT_EQ(names, std::vector<std::string>{"menu"});
    EXPECT_EQ(ResolveGamePath("sound\\missing.dxw"), "sound/missing.dxw");
    EXPECT_THROW(ReadWaveArchiveFile("sound\\missing.dxw", {}), EFOpenError);
    EXPECT_THROW(ReadWaveArchiveFile("sound", {}), EFOpenError);
    fs::current_path(old);
}
