#include "ArchiveTool.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "assets/ArchiveWriter.h"
#include "assets/ComponentReader.h"
#include "assets/DIB.h"
#include "assets/Errors.h"
#include "assets/ImageArchive.h"
#include "assets/Paths.h"
#include "assets/Stream.h"
#include "assets/WaveArchive.h"
#include "platform/Image.h"
#include "platform/Platform.h"
#include "platform/TextCodec.h"

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace {

const char* const kUsage =
    "usage: brinehold-archive list FILE\n"
    "       brinehold-archive extract FILE DIR\n"
    "       brinehold-archive pack DIR FILE\n"
    "Lists, extracts or packs an image archive (.dxg) or a sound archive (.dxw).\n"
    "extract writes NNN-name.png / NNN-name.wav and manifest.json; pack reads them\n"
    "back (PNG, BMP or WAV files; the kind follows the manifest).\n";

// A failure of the tool itself (a bad manifest, an unwritable file).
struct ToolError {
    std::string message;
};

// The reader's messages carry names from the archive in code page 1251; the
// paths in them are already UTF-8. A message that is not valid UTF-8 as it
// stands is converted, so the terminal always gets UTF-8.
std::string MessageText(const std::string& message) {
    if (platform::DecodeUtf8(message).find(U'\uFFFD') == std::u32string::npos) {
        return message;
    }
    return platform::Cp1251ToUtf8(message);
}

enum class Kind { Picture, Wave };

// The kind follows the class name the stream was written with; a stream
// too damaged to tell is taken by its file name and left to the reader.
Kind KindOf(const std::string& path) {
    try {
        TFileStream stream(ResolveGamePath(path));
        TReader reader(stream);
        reader.ReadContainerHeader();
        std::uint8_t signature[4];
        stream.ReadBuffer(signature, 4);
        if ((reader.NextValue() & 0xF0) == 0xF0 && (reader.ReadValueType() & 2) != 0) {
            reader.ReadInteger();
        }
        const std::string className = reader.ReadShortString();
        if (className == "TWaveCollectionComponent") {
            return Kind::Wave;
        }
        if (className == "TPictureCollectionComponent") {
            return Kind::Picture;
        }
    } catch (const EAssetError&) {
    }
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".dxw" ? Kind::Wave : Kind::Picture;
}

std::string Hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string CompressionName(int compression) {
    switch (compression) {
    case 1:
        return "RLE8";
    case 2:
        return "RLE4";
    case 3:
        return "bitfields";
    default:
        return "none";
    }
}

std::string FormatName(const TWave& wave) {
    if (wave.FormatSize() < 2) {
        return "no-format";
    }
    switch (wave.FormatTag()) {
    case 1:
        return "PCM";
    case 3:
        return "float";
    case 0xFFFE:
        return "extensible";
    default:
        return "format-" + Hex(wave.FormatTag(), 4);
    }
}

// A file name from an item's name: blanks and characters that file systems
// refuse become '_'.
std::string FileName(int index, const std::string& utf8Name, const char* extension) {
    std::string safe;
    for (unsigned char c : utf8Name) {
        safe += (c < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
                 c == '"' || c == '<' || c == '>' || c == '|' || c == ' ')
                    ? '_'
                    : static_cast<char>(c);
    }
    char number[16];
    std::snprintf(number, sizeof number, "%03d", index);
    return std::string(number) + (safe.empty() ? "" : "-" + safe) + extension;
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ToolError{"Cannot open file \"" + path.string() + "\"."};
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWholeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw ToolError{"Cannot write file \"" + path.string() + "\"."};
    }
}

// ------------------------------------------------------------------ list

int List(const std::string& file, std::ostream& out) {
    int index = 0;
    if (KindOf(file) == Kind::Wave) {
        ReadWaveArchiveFile(file, [&](WaveItemData&& item) {
            const TWave& wave = item.Wave;
            out << index++ << ' ' << platform::Cp1251ToUtf8(item.Name) << " wave ";
            if (!item.HasWave) {
                out << "none";
            } else {
                out << FormatName(wave) << ' ' << wave.Channels() << "ch " << wave.SamplesPerSec()
                    << "Hz " << wave.BitsPerSample() << "-bit " << wave.Size() << " bytes";
                if (wave.BlockAlign() != 0 && wave.SamplesPerSec() != 0) {
                    char seconds[32];
                    std::snprintf(seconds, sizeof seconds, " %.3fs",
                                  static_cast<double>(wave.Size() / wave.BlockAlign()) /
                                      wave.SamplesPerSec());
                    out << seconds;
                }
            }
            out << (item.Looped ? " looped" : "") << " max " << item.MaxPlayingCount << '\n';
        });
        return 0;
    }
    ImageArchiveHandler handler;
    handler.Item = [&](ImageItemData&& item) {
        const TDIB& p = item.Picture;
        out << index++ << ' ' << platform::Cp1251ToUtf8(item.Name) << " picture " << p.Width()
            << 'x' << p.Height() << ' ' << (p.Empty() ? 0 : p.BitCount()) << "-bit "
            << CompressionName(p.Compression()) << " pattern " << item.PatternWidth << 'x'
            << item.PatternHeight << " skip " << item.SkipWidth << 'x' << item.SkipHeight
            << (item.SystemMemory ? " system-memory" : "");
        if (item.Transparent) {
            out << " transparent " << Hex(item.TransparentColor, 8);
        } else {
            out << " opaque";
        }
        out << '\n';
    };
    ReadImageArchiveFile(file, handler);
    return 0;
}

// ------------------------------------------------------------------ extract

int Extract(const std::string& file, const fs::path& dir, std::ostream& out) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        throw ToolError{"Cannot create folder \"" + dir.string() + "\"."};
    }
    json manifest;
    json items = json::array();
    int index = 0;
    auto writeManifest = [&] {
        manifest["items"] = items;
        const std::string text = manifest.dump(2) + "\n";
        WriteWholeFile(dir / "manifest.json", std::vector<std::uint8_t>(text.begin(), text.end()));
    };
    try {
        if (KindOf(file) == Kind::Wave) {
            manifest["kind"] = "wave";
            ReadWaveArchiveFile(file, [&](WaveItemData&& item) {
                const std::string name = platform::Cp1251ToUtf8(item.Name);
                json entry = {{"name", name},
                              {"looped", item.Looped},
                              {"maxPlayingCount", item.MaxPlayingCount}};
                if (item.HasWave) {
                    const std::string fileName = FileName(index, name, ".wav");
                    WriteWholeFile(dir / fileName, item.Wave.WaveImage());
                    entry["file"] = fileName;
                    entry["formatTag"] = item.Wave.FormatTag();
                    entry["channels"] = item.Wave.Channels();
                    entry["samplesPerSec"] = item.Wave.SamplesPerSec();
                    entry["bitsPerSample"] = item.Wave.BitsPerSample();
                } else {
                    entry["file"] = nullptr;
                }
                items.push_back(entry);
                ++index;
            });
        } else {
            manifest["kind"] = "picture";
            ImageArchiveHandler handler;
            handler.Item = [&](ImageItemData&& item) {
                const std::string name = platform::Cp1251ToUtf8(item.Name);
                json entry = {{"name", name},
                              {"patternWidth", item.PatternWidth},
                              {"patternHeight", item.PatternHeight},
                              {"skipWidth", item.SkipWidth},
                              {"skipHeight", item.SkipHeight},
                              {"systemMemory", item.SystemMemory},
                              {"transparent", item.Transparent},
                              {"transparentColor", item.TransparentColor}};
                if (!item.Picture.Empty()) {
                    const std::string fileName = FileName(index, name, ".png");
                    std::vector<std::uint32_t> pixels = item.Picture.Pixels();
                    const int w = item.Picture.Width(), h = item.Picture.Height();
                    if (!platform::WritePng((dir / fileName).string(), {pixels.data(), w, h, w})) {
                        throw ToolError{"Cannot write file \"" + (dir / fileName).string() + "\"."};
                    }
                    entry["file"] = fileName;
                    entry["width"] = w;
                    entry["height"] = h;
                    entry["bitCount"] = item.Picture.BitCount();
                    entry["compression"] = CompressionName(item.Picture.Compression());
                } else {
                    entry["file"] = nullptr;
                }
                items.push_back(entry);
                ++index;
            };
            ReadImageArchiveFile(file, handler);
        }
    } catch (const EAssetError&) {
        writeManifest(); // what was read before the failure is kept
        throw;
    }
    writeManifest();
    out << index << " items extracted to " << dir.string() << '\n';
    return 0;
}

// ------------------------------------------------------------------ pack

template <typename T> T Field(const json& entry, const char* key, T fallback) {
    if (!entry.contains(key) || entry[key].is_null()) {
        return fallback;
    }
    try {
        return entry[key].get<T>();
    } catch (const json::exception&) {
        throw ToolError{std::string("manifest.json: \"") + key + "\" has the wrong type"};
    }
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// The bitmap of a BMP file in the stored layout, kept as it is (bit count and
// compression included) when the game's reader takes it; else empty.
std::vector<std::uint8_t> StoredBitmapOf(const std::vector<std::uint8_t>& file) {
    if (file.size() < 26 || file[0] != 'B' || file[1] != 'M') {
        return {};
    }
    const std::uint32_t headerSize = Le32(file, 14);
    if (headerSize != 12 && headerSize != 40) {
        return {};
    }
    std::size_t tableAt = 14 + headerSize;
    int bits = 0;
    std::uint32_t colors = 0;
    std::size_t entry = 4;
    if (headerSize == 12) {
        bits = file[24] | file[25] << 8;
        entry = 3;
    } else {
        if (file.size() < 54) {
            return {};
        }
        bits = file[28] | file[29] << 8;
        if (Le32(file, 30) == 3) {
            tableAt += 12;
        }
        colors = Le32(file, 46);
    }
    if (colors == 0 && bits <= 8) {
        colors = 1u << bits;
    }
    const std::size_t pixelsAt = tableAt + std::min<std::uint32_t>(colors, 256) * entry;
    // The file header's offset may leave a gap before the pixels: close it.
    const std::size_t offset = Le32(file, 10);
    if (pixelsAt > file.size() || offset < pixelsAt || offset > file.size()) {
        return {};
    }
    std::vector<std::uint8_t> stored(file.begin() + 14, file.begin() + pixelsAt);
    stored.insert(stored.end(), file.begin() + offset, file.end());
    try {
        TMemoryView stream(stored);
        TDIB dib;
        dib.ReadBitmapData(stream);
        if (dib.Empty()) {
            return {};
        }
    } catch (const EAssetError&) {
        return {};
    }
    return stored;
}

// Reads the archive about to be written with the game's own reader, so that
// nothing is written that the game would refuse (a picture too large, or
// pictures that together exceed what one archive may hold).
void RefuseWhatTheReaderRejects(const std::vector<ImageItemSpec>& itemSpecs, const json& items) {
    const std::vector<std::uint8_t> bytes = ImageArchiveBytes(itemSpecs);
    TMemoryView stream(bytes);
    std::size_t handed = 0;
    ImageArchiveHandler handler;
    handler.Item = [&handed](ImageItemData&&) { ++handed; };
    try {
        ReadImageArchiveStream(stream, handler);
    } catch (const EAssetError& e) {
        // The item being read when the reader failed was handed over last.
        const std::size_t index = handed == 0 ? 0 : handed - 1;
        std::string what = "item " + std::to_string(index);
        if (index < items.size()) {
            const json& entry = items[index];
            what += " \"" + Field<std::string>(entry, "name", "") + "\"";
            const std::string fileName = Field<std::string>(entry, "file", "");
            if (!fileName.empty()) {
                what += " (" + fileName + ")";
            }
        }
        throw ToolError{"Cannot pack " + what + ": the game would refuse it (" +
                        MessageText(e.Message()) + "). Pictures may be at most " +
                        std::to_string(kMaxPictureSide) + " pixels on a side and " +
                        std::to_string(kArchivePixelBudget) + " pixels in all."};
    }
}

int Pack(const fs::path& dir, const std::string& file, std::ostream& out) {
    const std::vector<std::uint8_t> text = ReadWholeFile(dir / "manifest.json");
    json manifest = json::parse(text.begin(), text.end(), nullptr, false);
    if (manifest.is_discarded() || !manifest.is_object() || !manifest.contains("items") ||
        !manifest["items"].is_array()) {
        throw ToolError{"manifest.json: not a manifest of brinehold-archive"};
    }
    const std::string kind = Field<std::string>(manifest, "kind", "");
    const json& items = manifest["items"];
    if (kind == "wave") {
        std::vector<WaveItemSpec> itemSpecs;
        for (const json& entry : items) {
            WaveItemSpec itemSpec;
            itemSpec.Name = platform::Utf8ToCp1251(Field<std::string>(entry, "name", ""));
            itemSpec.Looped = Field<bool>(entry, "looped", false);
            itemSpec.MaxPlayingCount = Field<int>(entry, "maxPlayingCount", 0);
            const std::string fileName = Field<std::string>(entry, "file", "");
            if (!fileName.empty()) {
                const std::vector<std::uint8_t> bytes = ReadWholeFile(dir / fileName);
                TMemoryView stream(bytes);
                TWave wave;
                try {
                    wave.ReadWaveData(stream);
                } catch (EAssetError& e) {
                    e.SetMessage(fileName + ": " + e.Message());
                    throw;
                }
                itemSpec.Format = wave.Format();
                itemSpec.Data.assign(wave.Data(), wave.Data() + wave.Size());
            }
            itemSpecs.push_back(std::move(itemSpec));
        }
        WriteSoundArchive(file, itemSpecs);
    } else if (kind == "picture") {
        std::vector<ImageItemSpec> itemSpecs;
        for (const json& entry : items) {
            ImageItemSpec itemSpec;
            itemSpec.Name = platform::Utf8ToCp1251(Field<std::string>(entry, "name", ""));
            itemSpec.PatternWidth = Field<int>(entry, "patternWidth", 0);
            itemSpec.PatternHeight = Field<int>(entry, "patternHeight", 0);
            itemSpec.SkipWidth = Field<int>(entry, "skipWidth", 0);
            itemSpec.SkipHeight = Field<int>(entry, "skipHeight", 0);
            itemSpec.SystemMemory = Field<bool>(entry, "systemMemory", false);
            itemSpec.Transparent = Field<bool>(entry, "transparent", true);
            itemSpec.TransparentColor = Field<std::uint32_t>(entry, "transparentColor", 0);
            const int bitCount = Field<int>(entry, "bitCount", 0);
            itemSpec.BitCount = bitCount == 32 ? 32 : 0;
            const std::string fileName = Field<std::string>(entry, "file", "");
            if (!fileName.empty()) {
                const fs::path path = dir / fileName;
                itemSpec.DibData = StoredBitmapOf(ReadWholeFile(path));
                if (itemSpec.DibData.empty() &&
                    !platform::ReadImageFile(path.string(), itemSpec.Width, itemSpec.Height,
                                             itemSpec.Pixels)) {
                    throw ToolError{"Cannot read picture \"" + path.string() + "\"."};
                }
            }
            itemSpecs.push_back(std::move(itemSpec));
        }
        RefuseWhatTheReaderRejects(itemSpecs, manifest["items"]);
        WriteImageArchive(file, itemSpecs);
    } else {
        throw ToolError{"manifest.json: \"kind\" must be \"picture\" or \"wave\""};
    }
    out << items.size() << " items packed into " << file << '\n';
    return 0;
}

} // namespace

int RunArchiveTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage;
        return 0;
    }
    const bool usageOk = (args.size() == 2 && args[0] == "list") ||
                         (args.size() == 3 && (args[0] == "extract" || args[0] == "pack"));
    if (!usageOk) {
        err << kUsage;
        return 2;
    }
    try {
        if (args[0] == "list") {
            return List(args[1], out);
        }
        if (args[0] == "extract") {
            return Extract(args[1], args[2], out);
        }
        return Pack(args[1], args[2], out);
    } catch (const EAssetError& e) {
        out.flush();
        err << MessageText(e.Message()) << '\n';
    } catch (const ToolError& e) {
        out.flush();
        err << e.message << '\n';
    } catch (const std::exception& e) {
        out.flush();
        err << e.what() << '\n';
    }
    return 1;
}
