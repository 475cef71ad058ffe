#include "assets/WaveArchive.h"

#include <algorithm>

#include "assets/ArchiveRoot.h"
#include "assets/ComponentReader.h"
#include "assets/Errors.h"
#include "assets/Paths.h"
#include "assets/Stream.h"

namespace {

class TWaveReadable : public TPersistentReadable {
public:
    explicit TWaveReadable(WaveItemData*& item) : item_(item) {}
    const char* ClassName() const override { return "TWave"; }
    bool ReadProperty(TReader&, const std::string&) override { return false; }
    bool ReadStoredData(TReader& reader, const std::string& name) override {
        if (!SameTextAscii(name, "WAVE")) {
            return false;
        }
        const std::vector<std::uint8_t> block = reader.ReadBlock();
        TMemoryView stream(block);
        item_->HasWave = true;
        item_->Wave.ReadWaveData(stream);
        return true;
    }

private:
    WaveItemData*& item_;
};

class TWaveItemReadable : public TPersistentReadable {
public:
    TWaveItemReadable() : wave_(item_) {}
    void Reset(WaveItemData& item) { item_ = &item; }

    const char* ClassName() const override { return "TWaveCollectionItem"; }
    bool ReadProperty(TReader& reader, const std::string& name) override {
        WaveItemData& item = *item_;
        if (SameTextAscii(name, "Name")) {
            item.Name = reader.ReadText();
        } else if (SameTextAscii(name, "Looped")) {
            item.Looped = reader.ReadBoolean();
        } else if (SameTextAscii(name, "MaxPlayingCount")) {
            item.MaxPlayingCount = std::max(0, reader.ReadInteger());
        } else if (SameTextAscii(name, "Wave")) {
            // The wave object itself: only "no object" can be stored for it.
            if (reader.ReadValueType() != ValueNil) {
                reader.Stream().SetPosition(reader.Stream().Position() - 1);
                reader.SkipValue();
                reader.FailValue();
            }
            item.Wave.Clear();
        } else {
            return false;
        }
        return true;
    }
    TPersistentReadable* ObjectProperty(const std::string& name) override {
        return SameTextAscii(name, "Wave") ? &wave_ : nullptr;
    }

private:
    WaveItemData* item_ = nullptr;
    TWaveReadable wave_;
};

class TWaveCollectionReadable : public TPersistentReadable, public TCollectionReadable {
public:
    TWaveCollectionReadable(const std::function<void(WaveItemData&&)>& onItem,
                            const std::function<void()>& onClear)
        : onItem_(onItem), onClear_(onClear) {}

    const char* ClassName() const override { return "TWaveCollection"; }
    bool ReadProperty(TReader&, const std::string&) override { return false; }

    void Clear() override {
        if (onClear_) {
            onClear_();
        }
    }
    TPersistentReadable& NewItem() override {
        current_ = WaveItemData{};
        item_.Reset(current_);
        return item_;
    }
    void ItemDone() override {
        if (onItem_) {
            onItem_(std::move(current_));
        }
        current_ = WaveItemData{};
    }

private:
    const std::function<void(WaveItemData&&)>& onItem_;
    const std::function<void()>& onClear_;
    WaveItemData current_;
    TWaveItemReadable item_;
};

} // namespace

void ReadWaveArchiveStream(TStream& stream, const std::function<void(WaveItemData&&)>& onItem,
                           const std::function<void()>& onClear) {
    TReader reader(stream);
    reader.ReadContainerHeader();
    TWaveCollectionReadable collection(onItem, onClear);
    TArchiveRoot root("TWaveCollectionComponent", collection, collection);
    reader.ReadRootComponent(root);
}

void ReadWaveArchiveFile(const std::string& path, const std::function<void(WaveItemData&&)>& onItem,
                         const std::function<void()>& onClear) {
    TFileStream stream(ResolveGamePath(path));
    ReadWaveArchiveStream(stream, onItem, onClear);
}
