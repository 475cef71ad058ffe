#include <cstddef>
#include <cstdint>

#include "FuzzCommon.h"
#include "assets/Errors.h"
#include "assets/ImageArchive.h"
#include "assets/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryView stream(data, size);
    ImageArchiveHandler handler;
    handler.Item = [](ImageItemData&& item) { TouchPixels(item.Picture); };
    handler.Clear = [] {};
    handler.ColorTable = [](const std::array<std::uint8_t, 1024>&) {};
    try {
        ReadImageArchiveStream(stream, handler);
    } catch (const EAssetError&) {
    }
    return 0;
}
