#include "assets/ImageArchive.h"

#include <algorithm>
#include <cstring>

#include "assets/ArchiveRoot.h"
#include "assets/ComponentReader.h"
#include "assets/Errors.h"
#include "assets/Paths.h"
#include "assets/Stream.h"

namespace {

// The picture data of "Picture.Data": a class name, then that graphic's data.
// Returns false when no known graphic class bears the name.
bool ReadPictureData(TStream& stream, TDIB& picture, TPixelBudget& budget) {
    std::uint8_t length = 0;
    stream.Read(&length, 1);
    std::string className(length, '\0');
    className.resize(stream.Read(className.data(), length));
    if (className == "TBitmap") {
        const std::uint32_t count = stream.ReadU32();
        TDIB dib;
        if (count != 0) {
            if (count > stream.Remaining()) {
                throw EStreamError(assets::kStreamReadError);
            }
            TStreamWindow file(stream, count);
            std::uint8_t fileHeader[14];
            file.ReadBuffer(fileHeader, sizeof fileHeader);
            if (fileHeader[0] != 'B' || fileHeader[1] != 'M') {
                throw EInvalidGraphic(assets::kBitmapNotValid);
            }
            dib.ReadBitmapData(file, budget);
        }
        picture = std::move(dib);
        return true;
    }
    if (className == "TDIB") {
        TDIB dib;
        dib.ReadBitmapData(stream, budget);
        picture = std::move(dib);
        return true;
    }
    return false;
}

class TPictureReadable : public TPersistentReadable {
public:
    TPictureReadable(ImageItemData*& item, TPixelBudget& budget) : item_(item), budget_(budget) {}
    const char* ClassName() const override { return "TPicture"; }
    bool ReadProperty(TReader&, const std::string&) override { return false; }
    bool ReadStoredData(TReader& reader, const std::string& name) override {
        if (!SameTextAscii(name, "Data")) {
            return false;
        }
        // Straight from the archive into the picture: the pictures are most
        // of the archive, and a copy of each would cost time at start.
        TDIB picture;
        reader.ReadBlockInPlace([&](TStream& block) {
            if (!ReadPictureData(block, picture, budget_)) {
                picture = TDIB(); // an unknown graphic class: the item has no picture
            }
        });
        item_->Picture = std::move(picture);
        return true;
    }

private:
    ImageItemData*& item_;
    TPixelBudget& budget_;
};

class TPictureItemReadable : public TPersistentReadable {
public:
    explicit TPictureItemReadable(TPixelBudget& budget) : picture_(item_, budget) {}
    void Reset(ImageItemData& item) { item_ = &item; }

    const char* ClassName() const override { return "TPictureCollectionItem"; }
    bool ReadProperty(TReader& reader, const std::string& name) override {
        ImageItemData& item = *item_;
        if (SameTextAscii(name, "Name")) {
            item.Name = reader.ReadText();
        } else if (SameTextAscii(name, "PatternHeight")) {
            item.PatternHeight = reader.ReadInteger();
        } else if (SameTextAscii(name, "PatternWidth")) {
            item.PatternWidth = reader.ReadInteger();
        } else if (SameTextAscii(name, "SkipHeight")) {
            item.SkipHeight = reader.ReadInteger();
        } else if (SameTextAscii(name, "SkipWidth")) {
            item.SkipWidth = reader.ReadInteger();
        } else if (SameTextAscii(name, "SystemMemory")) {
            item.SystemMemory = reader.ReadBoolean();
        } else if (SameTextAscii(name, "Transparent")) {
            item.Transparent = reader.ReadBoolean();
        } else if (SameTextAscii(name, "TransparentColor")) {
            item.TransparentColor = reader.ReadColor();
        } else if (SameTextAscii(name, "Picture")) {
            // The picture object itself: only "no object" (an empty picture)
            // can be stored for it.
            if (reader.ReadValueType() != ValueNil) {
                reader.Stream().SetPosition(reader.Stream().Position() - 1);
                reader.SkipValue();
                reader.FailValue();
            }
            item.Picture = TDIB();
        } else {
            return false;
        }
        return true;
    }
    TPersistentReadable* ObjectProperty(const std::string& name) override {
        return SameTextAscii(name, "Picture") ? &picture_ : nullptr;
    }

private:
    ImageItemData* item_ = nullptr;
    TPictureReadable picture_;
};

class TPictureCollectionReadable : public TPersistentReadable, public TCollectionReadable {
public:
    explicit TPictureCollectionReadable(const ImageArchiveHandler& handler)
        : handler_(handler), item_(budget_) {}

    const char* ClassName() const override { return "TPictureCollection"; }
    bool ReadProperty(TReader&, const std::string&) override { return false; }
    bool ReadStoredData(TReader& reader, const std::string& name) override {
        if (!SameTextAscii(name, "ColorTable")) {
            return false;
        }
        const std::vector<std::uint8_t> block = reader.ReadBlock();
        if (block.size() < 1024) {
            throw EStreamError(assets::kStreamReadError);
        }
        std::array<std::uint8_t, 1024> table;
        std::copy_n(block.begin(), table.size(), table.begin());
        if (handler_.ColorTable) {
            handler_.ColorTable(table);
        }
        return true;
    }

    void Clear() override {
        if (handler_.Clear) {
            handler_.Clear();
        }
    }
    TPersistentReadable& NewItem() override {
        current_ = ImageItemData{};
        item_.Reset(current_);
        return item_;
    }
    void ItemDone() override {
        if (handler_.Item) {
            handler_.Item(std::move(current_));
        }
        current_ = ImageItemData{};
    }

private:
    const ImageArchiveHandler& handler_;
    // One budget for every picture of the load.
    TPixelBudget budget_;
    ImageItemData current_;
    TPictureItemReadable item_;
};

} // namespace

void ReadImageArchiveStream(TStream& stream, const ImageArchiveHandler& handler) {
    TReader reader(stream);
    reader.ReadContainerHeader();
    TPictureCollectionReadable collection(handler);
    TArchiveRoot root("TPictureCollectionComponent", collection, collection);
    reader.ReadRootComponent(root);
}

void ReadImageArchiveFile(const std::string& path, const ImageArchiveHandler& handler) {
    TFileStream stream(ResolveGamePath(path));
    ReadImageArchiveStream(stream, handler);
}
