#include "assets/ArchiveWriter.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "assets/ComponentReader.h"
#include "assets/Errors.h"
#include "assets/Wave.h"

namespace {

class StreamWriter {
public:
    std::vector<std::uint8_t> bytes;

    void Byte(std::uint8_t value) { bytes.push_back(value); }
    void U16(std::uint16_t value) {
        Byte(static_cast<std::uint8_t>(value));
        Byte(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            Byte(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    void Raw(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    void ShortString(const std::string& text) {
        if (text.size() > 255) {
            throw EAssetError("Name too long: " + text.substr(0, 40) + "...");
        }
        Byte(static_cast<std::uint8_t>(text.size()));
        Raw(text.data(), text.size());
    }
    void PropertyName(const char* name) { ShortString(name); }
    void Integer(std::int32_t value) {
        if (value >= -128 && value <= 127) {
            Byte(ValueInt8);
            Byte(static_cast<std::uint8_t>(value));
        } else if (value >= -32768 && value <= 32767) {
            Byte(ValueInt16);
            U16(static_cast<std::uint16_t>(value));
        } else {
            Byte(ValueInt32);
            U32(static_cast<std::uint32_t>(value));
        }
    }
    void Boolean(bool value) { Byte(value ? ValueTrue : ValueFalse); }
    void Text(const std::string& text) {
        if (text.size() <= 255) {
            Byte(ValueString);
            ShortString(text);
        } else {
            Byte(ValueLString);
            U32(static_cast<std::uint32_t>(text.size()));
            Raw(text.data(), text.size());
        }
    }
    void Block(const std::vector<std::uint8_t>& block) {
        Byte(ValueBlock);
        U32(static_cast<std::uint32_t>(block.size()));
        Raw(block.data(), block.size());
    }
};

// Container header, "TPF0", class name and an empty component name; the
// caller then writes the root's properties.
StreamWriter BeginArchive(const std::string& className) {
    StreamWriter out;
    out.Byte(0xFF);
    out.U16(10);
    for (char c : className) {
        out.Byte(static_cast<std::uint8_t>(std::toupper(static_cast<unsigned char>(c))));
    }
    out.Byte(0);
    out.U16(0x1030);
    out.U32(0); // the stream size, filled in by EndArchive
    out.Raw("TPF0", 4);
    out.ShortString(className);
    out.ShortString("");
    return out;
}

std::vector<std::uint8_t> EndArchive(StreamWriter& out, const std::string& className) {
    out.Byte(ValueEnd); // root properties
    out.Byte(ValueEnd); // child components
    const std::size_t sizeAt = 1 + 2 + className.size() + 1 + 2;
    const auto streamSize = static_cast<std::uint32_t>(out.bytes.size() - (sizeAt + 4));
    for (int i = 0; i < 4; ++i) {
        out.bytes[sizeAt + i] = static_cast<std::uint8_t>(streamSize >> (8 * i));
    }
    return std::move(out.bytes);
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    // Written beside and then renamed, so an interrupted run never leaves a
    // half-written archive where the game looks for it.
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        throw EAssetError("Cannot create file \"" + path + "\". " + std::strerror(errno));
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    std::error_code ec;
    if (!written || !closed) {
        std::filesystem::remove(temporary, ec);
        throw EAssetError("Cannot write file \"" + path + "\".");
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        throw EAssetError("Cannot write file \"" + path + "\". " + ec.message());
    }
}

std::vector<std::uint8_t> EncodePicture(const ImageItemSpec& item) {
    if (!item.DibData.empty()) {
        return item.DibData;
    }
    if (item.Pixels.size() != static_cast<std::size_t>(item.Width) * item.Height ||
        item.Width < 0 || item.Height < 0) {
        throw EAssetError("Picture \"" + item.Name + "\": pixel count is not width x height");
    }
    if (item.Width == 0 || item.Height == 0) {
        return {}; // an empty picture
    }
    DibEncoding encoding;
    if (item.BitCount == 0 && CountColors(item.Pixels, 257) <= 256) {
        encoding.BitCount = 8;
        std::vector<std::uint8_t> dib = EncodeDib(item.Width, item.Height, item.Pixels, encoding);
        encoding.Compression = 1;
        std::vector<std::uint8_t> rle = EncodeDib(item.Width, item.Height, item.Pixels, encoding);
        return rle.size() < dib.size() ? rle : dib;
    }
    encoding.BitCount = item.BitCount == 32 ? 32 : 24;
    return EncodeDib(item.Width, item.Height, item.Pixels, encoding);
}

// "Picture.Data": the graphic class name, then its data.
std::vector<std::uint8_t> PictureData(const ImageItemSpec& item) {
    const std::vector<std::uint8_t> dib = EncodePicture(item);
    std::vector<std::uint8_t> data(5 + dib.size());
    data[0] = 4;
    std::memcpy(data.data() + 1, "TDIB", 4);
    std::copy(dib.begin(), dib.end(), data.begin() + 5);
    return data;
}

} // namespace

std::size_t CountColors(const std::vector<std::uint32_t>& pixels, std::size_t limit) {
    std::set<std::uint32_t> colors;
    for (std::uint32_t pixel : pixels) {
        colors.insert(pixel & 0xFFFFFF);
        if (colors.size() >= limit) {
            break;
        }
    }
    return colors.size();
}

std::vector<std::uint8_t> ImageArchiveBytes(const std::vector<ImageItemSpec>& items) {
    const std::string className = "TPictureCollectionComponent";
    StreamWriter out = BeginArchive(className);
    out.PropertyName("List.ColorTable");
    out.Block(std::vector<std::uint8_t>(1024, 0));
    out.PropertyName("List");
    out.Byte(ValueCollection);
    for (const ImageItemSpec& item : items) {
        out.Byte(ValueList);
        out.PropertyName("Name");
        out.Text(item.Name);
        out.PropertyName("PatternHeight");
        out.Integer(item.PatternHeight);
        out.PropertyName("PatternWidth");
        out.Integer(item.PatternWidth);
        out.PropertyName("Picture.Data");
        out.Block(PictureData(item));
        out.PropertyName("SkipHeight");
        out.Integer(item.SkipHeight);
        out.PropertyName("SkipWidth");
        out.Integer(item.SkipWidth);
        out.PropertyName("SystemMemory");
        out.Boolean(item.SystemMemory);
        out.PropertyName("Transparent");
        out.Boolean(item.Transparent);
        out.PropertyName("TransparentColor");
        out.Integer(static_cast<std::int32_t>(item.TransparentColor));
        out.Byte(ValueEnd);
    }
    out.Byte(ValueEnd);
    return EndArchive(out, className);
}

void WriteImageArchive(const std::string& path, const std::vector<ImageItemSpec>& items) {
    WriteFile(path, ImageArchiveBytes(items));
}

std::vector<std::uint8_t> MakeWaveImage(const std::vector<std::uint8_t>& format,
                                        const std::vector<std::uint8_t>& data) {
    StreamWriter out;
    out.Raw("RIFF", 4);
    out.U32(0);
    out.Raw("WAVE", 4);
    if (!format.empty()) {
        out.Raw("fmt ", 4);
        out.U32(static_cast<std::uint32_t>(format.size()));
        out.Raw(format.data(), format.size());
    }
    out.Raw("data", 4);
    out.U32(static_cast<std::uint32_t>(data.size()));
    out.Raw(data.data(), data.size());
    const auto rest = static_cast<std::uint32_t>(out.bytes.size() - 8);
    for (int i = 0; i < 4; ++i) {
        out.bytes[4 + i] = static_cast<std::uint8_t>(rest >> (8 * i));
    }
    return std::move(out.bytes);
}

std::vector<std::uint8_t> SoundArchiveBytes(const std::vector<WaveItemSpec>& items) {
    const std::string className = "TWaveCollectionComponent";
    StreamWriter out = BeginArchive(className);
    out.PropertyName("List");
    out.Byte(ValueCollection);
    for (const WaveItemSpec& item : items) {
        out.Byte(ValueList);
        out.PropertyName("Name");
        out.Text(item.Name);
        out.PropertyName("Looped");
        out.Boolean(item.Looped);
        out.PropertyName("MaxPlayingCount");
        out.Integer(item.MaxPlayingCount);
        out.PropertyName("Wave.WAVE");
        const std::vector<std::uint8_t> format =
            item.Format.empty()
                ? MakePcmFormat(item.Channels, item.SamplesPerSec, item.BitsPerSample)
                : item.Format;
        out.Block(MakeWaveImage(format, item.Data));
        out.Byte(ValueEnd);
    }
    out.Byte(ValueEnd);
    return EndArchive(out, className);
}

void WriteSoundArchive(const std::string& path, const std::vector<WaveItemSpec>& items) {
    WriteFile(path, SoundArchiveBytes(items));
}
