// Loading an image archive into the picture collection: the archive reader
// hands over each item as it is read, so that a failure leaves the items
// read before it (and the one being read) in the collection.
#include <utility>

#include "assets/ImageArchive.h"
#include "assets/Paths.h"
#include "assets/Stream.h"
#include "engine/ImageList.h"

namespace {

ImageArchiveHandler HandlerFor(TPictureCollection& collection) {
    ImageArchiveHandler handler;
    handler.Item = [&collection](ImageItemData&& data) {
        TPictureCollectionItem* item = collection.Add();
        item->SetName(data.Name);
        item->Picture = std::move(data.Picture);
        item->PatternWidth = data.PatternWidth;
        item->PatternHeight = data.PatternHeight;
        item->SkipWidth = data.SkipWidth;
        item->SkipHeight = data.SkipHeight;
        item->SystemMemory = data.SystemMemory;
        item->Transparent = data.Transparent;
        item->SetTransparentColor(data.TransparentColor);
    };
    handler.Clear = [&collection] { collection.Clear(); };
    handler.ColorTable = [&collection](const std::array<std::uint8_t, 1024>& table) {
        collection.ColorTable = table;
    };
    return handler;
}

} // namespace

void TPictureCollection::ReadArchiveStream(TStream& stream) {
    Clear();
    ReadImageArchiveStream(stream, HandlerFor(*this));
    // Not reached after a failure: the items read so far stay without surfaces.
    if (Initialized()) {
        InitializeImages(dxDraw_);
        Restore();
    }
}

void TPictureCollection::ReadArchiveFile(const std::string& path) {
    TFileStream stream(ResolveGamePath(path));
    ReadArchiveStream(stream);
}

// Clears first, so a file that cannot be opened leaves the collection empty.
void TPictureCollection::LoadFromFile(const std::string& path) {
    Clear();
    ReadArchiveFile(path);
}
