// brinehold-archive as modders use it: the built binary, its files and exit codes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "assets/ArchiveWriter.h"
#include "assets/DIB.h"
#include "assets/Stream.h"
#include "assets/Wave.h"
#include "platform/Image.h"

namespace fs = std::filesystem;

namespace {

class Folder {
public:
    Folder() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("brinehold-archive-" + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path) {
    std::vector<std::uint8_t> bytes = ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

ToolRun Tool(const Folder& temp, const std::string& args) {
    const std::string tool = std::string(BRINEHOLD_GAME_DIR) + "/brinehold-archive";
    const std::string command = "'" + tool + "' " + args + " >'" + temp / "stdout" + "' 2>'" +
                                temp / "stderr" + "'; echo $? >'" + temp / "code" + "'";
    std::system(command.c_str());
    ToolRun run;
    run.code = std::atoi(ReadText(temp / "code").c_str());
    run.out = ReadText(temp / "stdout");
    run.err = ReadText(temp / "stderr");
    return run;
}

std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

// A BMP file: the 14-byte file header, then the stored bitmap.
std::vector<std::uint8_t> BmpFile(const std::vector<std::uint8_t>& dib) {
    std::vector<std::uint8_t> file = {'B', 'M'};
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            file.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    TMemoryView stream(dib);
    TDIB probe;
    probe.ReadBitmapData(stream);
    put32(static_cast<std::uint32_t>(14 + dib.size()));
    put32(0);
    // The pixels start after the header and table: everything but the pixels.
    const std::size_t rowBytes =
        (static_cast<std::size_t>(probe.Width()) * probe.BitCount() + 31) / 32 * 4;
    const bool rle = probe.Compression() == 1 || probe.Compression() == 2;
    const std::size_t pixelBytes = rle ? dib[20] | dib[21] << 8 | dib[22] << 16
                                       : rowBytes * static_cast<std::size_t>(probe.Height());
    put32(static_cast<std::uint32_t>(14 + dib.size() - pixelBytes));
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

std::vector<std::uint32_t> PngPixels(const std::string& path) {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    EXPECT_TRUE(platform::ReadImageFile(path, width, height, pixels)) << path;
    return pixels;
}

} // namespace

TEST(ArchiveToolTest, PicturesOfEveryBitCountSurvivePackAndExtract) {
    Folder temp;
    fs::create_directories(temp / "in");
    struct Case {
        const char* name;
        DibEncoding encoding;
        int colors;
    };
    const Case cases[] = {
        {"one", {1, 0}, 2},
        {"four", {4, 0}, 16},
        {"four-rle", {4, 2}, 9},
        {"eight", {8, 0}, 256},
        {"eight-rle", {8, 1}, 100},
        {"eight-top-down", {8, 0, false, true}, 30},
        {"eight-os2", {8, 0, false, false, true}, 40},
        {"sixteen", {16, 0}, 1000},
        {"sixteen-565", {16, 3, true}, 1000},
        {"twenty-four", {24, 0}, 5000},
        {"thirty-two", {32, 0}, 5000},
        {"thirty-two-fields", {32, 3}, 5000},
    };
    nlohmann::json items = nlohmann::json::array();
    std::vector<std::vector<std::uint32_t>> expected;
    int index = 0;
    for (const Case& c : cases) {
        std::vector<std::uint32_t> pixels;
        for (int i = 0; i < 45 * 13; ++i) {
            const std::uint32_t k =
                static_cast<std::uint32_t>((i % 7 < 4 ? i / 7 : i * 31) % c.colors);
            pixels.push_back(k * 0x0A0B0C & 0xFFFFFF);
        }
        const std::vector<std::uint8_t> dib = EncodeDib(45, 13, pixels, c.encoding);
        TMemoryView stream(dib);
        TDIB decoded;
        decoded.ReadBitmapData(stream);
        expected.push_back(decoded.Pixels());
        const std::string file = std::string(c.name) + ".bmp";
        WriteFile(temp / ("in/" + file), BmpFile(dib));
        items.push_back({{"name", c.name},
                         {"file", file},
                         {"patternWidth", 9},
                         {"patternHeight", index},
                         {"skipWidth", 1},
                         {"skipHeight", -2},
                         {"systemMemory", index % 2 == 0},
                         {"transparent", index % 3 != 0},
                         {"transparentColor", 0xFF00FF}});
        ++index;
    }
    items.push_back({{"name", "empty"}, {"file", nullptr}});
    const std::string manifest = nlohmann::json{{"kind", "picture"}, {"items", items}}.dump();
    WriteFile(temp / "in/manifest.json",
              std::vector<std::uint8_t>(manifest.begin(), manifest.end()));

    ToolRun pack = Tool(temp, "pack " + Quote(temp / "in") + " " + Quote(temp / "a.dxg"));
    ASSERT_EQ(pack.code, 0) << pack.err;
    ToolRun list = Tool(temp, "list " + Quote(temp / "a.dxg"));
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("2 four-rle picture 45x13 4-bit RLE4 pattern 9x2 skip 1x-2 "
                            "system-memory transparent 0x00FF00FF\n"),
              std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("3 eight picture 45x13 8-bit none pattern 9x3 skip 1x-2 opaque\n"),
              std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("12 empty picture 0x0 0-bit none"), std::string::npos) << list.out;

    ToolRun extract = Tool(temp, "extract " + Quote(temp / "a.dxg") + " " + Quote(temp / "out"));
    ASSERT_EQ(extract.code, 0) << extract.err;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%03zu-", i);
        EXPECT_EQ(PngPixels(temp / ("out/" + std::string(prefix) + cases[i].name + ".png")),
                  expected[i]);
    }

    // Packing what was extracted gives the same pictures and properties again.
    ToolRun repack = Tool(temp, "pack " + Quote(temp / "out") + " " + Quote(temp / "b.dxg"));
    ASSERT_EQ(repack.code, 0) << repack.err;
    ToolRun again = Tool(temp, "extract " + Quote(temp / "b.dxg") + " " + Quote(temp / "again"));
    ASSERT_EQ(again.code, 0) << again.err;
    auto first = nlohmann::json::parse(ReadText(temp / "out/manifest.json"));
    auto second = nlohmann::json::parse(ReadText(temp / "again/manifest.json"));
    ASSERT_EQ(first["items"].size(), second["items"].size());
    for (std::size_t i = 0; i < first["items"].size(); ++i) {
        auto a = first["items"][i];
        auto b = second["items"][i];
        for (const char* key : {"bitCount", "compression"}) { // the layout may change
            a.erase(key);
            b.erase(key);
        }
        EXPECT_EQ(a, b);
        if (a["file"].is_string()) {
            EXPECT_EQ(PngPixels(temp / ("again/" + a["file"].get<std::string>())),
                      PngPixels(temp / ("out/" + a["file"].get<std::string>())));
        }
    }
}

TEST(ArchiveToolTest, WavesOfSeveralFormatsSurviveByteForByte) {
    Folder temp;
    std::vector<WaveItemSpec> itemSpecs(4);
    itemSpecs[0].Name = "pcm8";
    itemSpecs[0].Channels = 1;
    itemSpecs[0].SamplesPerSec = 11025;
    itemSpecs[0].BitsPerSample = 8;
    itemSpecs[0].Data = {128, 200, 50, 128, 7}; // odd length
    itemSpecs[1].Name = "pcm16";
    itemSpecs[1].Looped = true;
    itemSpecs[1].MaxPlayingCount = 3;
    itemSpecs[1].Channels = 2;
    itemSpecs[1].Data = std::vector<std::uint8_t>(20000, 0x42);
    itemSpecs[2].Name = "float";
    itemSpecs[2].Format = {3, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 32, 0, 0, 0};
    itemSpecs[2].Data = {0, 0, 0x80, 0x3F};
    itemSpecs[3].Name = "extensible";
    itemSpecs[3].Format = std::vector<std::uint8_t>(40, 0);
    itemSpecs[3].Format[0] = 0xFE;
    itemSpecs[3].Format[1] = 0xFF;
    itemSpecs[3].Data = {1, 2, 3};
    WriteSoundArchive(temp / "a.dxw", itemSpecs);

    ToolRun list = Tool(temp, "list " + Quote(temp / "a.dxw"));
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(
        list.out.find("1 pcm16 wave PCM 2ch 22050Hz 16-bit 20000 bytes 0.227s looped max 3\n"),
        std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("2 float wave float 1ch 44100Hz 32-bit 4 bytes"), std::string::npos)
        << list.out;

    ToolRun extract = Tool(temp, "extract " + Quote(temp / "a.dxw") + " " + Quote(temp / "out"));
    ASSERT_EQ(extract.code, 0) << extract.err;
    for (std::size_t i = 0; i < itemSpecs.size(); ++i) {
        SCOPED_TRACE(itemSpecs[i].Name);
        const std::vector<std::uint8_t> format =
            itemSpecs[i].Format.empty()
                ? MakePcmFormat(itemSpecs[i].Channels, itemSpecs[i].SamplesPerSec,
                                itemSpecs[i].BitsPerSample)
                : itemSpecs[i].Format;
        EXPECT_EQ(
            ReadFile(temp / ("out/00" + std::to_string(i) + "-" + itemSpecs[i].Name + ".wav")),
            MakeWaveImage(format, itemSpecs[i].Data));
    }
    ToolRun pack = Tool(temp, "pack " + Quote(temp / "out") + " " + Quote(temp / "b.dxw"));
    ASSERT_EQ(pack.code, 0) << pack.err;
    EXPECT_EQ(ReadFile(temp / "b.dxw"), ReadFile(temp / "a.dxw"));
}

TEST(ArchiveToolTest, ErrorsGoToStandardErrorWithTheirExitCode) {
    Folder temp;
    ImageItemSpec good;
    good.Name = "good";
    ImageItemSpec bad;
    bad.Name = "bad";
    bad.DibData = {41, 0, 0, 0};
    WriteImageArchive(temp / "bad.dxg", {good, bad});
    struct Case {
        std::string args;
        int code;
        std::string err; // the start of standard error
        std::string out;
    };
    const Case cases[] = {
        {"", 2, "usage: brinehold-archive", ""},
        {"list", 2, "usage:", ""},
        {"unpack a b", 2, "usage:", ""},
        {"list " + Quote(temp / "none.dxg"), 1, "Cannot open file \"" + temp / "none.dxg" + "\".",
         ""},
        {"list " + Quote(temp / "bad.dxg"), 1,
         "Error reading TPictureCollectionComponent.List: Error reading "
         "TPictureCollectionItem.Picture.Data: DIB is invalid\n",
         "0 good picture 0x0"},
        {"pack " + Quote(temp / "nothing") + " " + Quote(temp / "x.dxg"), 1, "Cannot open file",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ToolRun run = Tool(temp, c.args);
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
        EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << run.out;
    }
}

namespace {

TEST(ArchiveToolTest, PackRefusesWhatTheGameWouldRefuse) {
    Folder temp;
    fs::create_directories(temp / "in");
    std::vector<std::uint32_t> wide(16385, 0x123456);
    ASSERT_TRUE(platform::WritePng(temp / "in/wide.png", {wide.data(), 16385, 1, 16385}));
    std::vector<std::uint32_t> small(4, 0x654321);
    ASSERT_TRUE(platform::WritePng(temp / "in/small.png", {small.data(), 2, 2, 2}));
    const nlohmann::json items = nlohmann::json::array(
        {{{"name", "small"}, {"file", "small.png"}}, {{"name", "wide"}, {"file", "wide.png"}}});
    const std::string manifest = nlohmann::json{{"kind", "picture"}, {"items", items}}.dump();
    WriteFile(temp / "in/manifest.json",
              std::vector<std::uint8_t>(manifest.begin(), manifest.end()));

    ToolRun pack = Tool(temp, "pack " + Quote(temp / "in") + " " + Quote(temp / "a.dxg"));
    EXPECT_EQ(pack.code, 1);
    EXPECT_EQ(pack.err.rfind("Cannot pack item 1 \"wide\" (wide.png): the game would refuse it", 0),
              0u)
        << pack.err;
    EXPECT_NE(pack.err.find("DIB is invalid"), std::string::npos) << pack.err;
    EXPECT_FALSE(fs::exists(temp / "a.dxg"));
}

TEST(ArchiveToolTest, MessagesWithArchiveTextComeOutAsUtf8) {
    Folder temp;
    // A root component named "Имя" in code page 1251: not a valid name.
    std::vector<std::uint8_t> bytes = {0xFF, 0x0A, 0x00, 0x00, 0x30, 0x10, 0, 0, 0, 0};
    const std::string className = "TPictureCollectionComponent";
    for (char ch : std::string("TPF0")) {
        bytes.push_back(static_cast<std::uint8_t>(ch));
    }
    bytes.push_back(static_cast<std::uint8_t>(className.size()));
    bytes.insert(bytes.end(), className.begin(), className.end());
    bytes.insert(bytes.end(), {3, 0xC8, 0xEC, 0xFF, 0, 0});
    WriteFile(temp / "named.dxg", bytes);

    ToolRun list = Tool(temp, "list " + Quote(temp / "named.dxg"));
    EXPECT_EQ(list.code, 1);
    EXPECT_NE(list.err.find("\xD0\x98\xD0\xBC\xD1\x8F"), std::string::npos) << list.err; // "Имя"
}

} // namespace
