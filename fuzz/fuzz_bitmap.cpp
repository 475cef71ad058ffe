#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzCommon.h"
#include "assets/DIB.h"
#include "assets/Errors.h"
#include "assets/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryView stream(data, size);
    TDIB dib;
    try {
        dib.ReadBitmapData(stream);
    } catch (const EAssetError&) {
        return 0;
    }
    TouchPixels(dib);
    // A block straddling the picture's edges, as the surfaces are cut.
    if (static_cast<long long>(dib.Width()) * dib.Height() <= 1 << 22) {
        std::vector<std::uint32_t> block(64 * 64, 0);
        dib.CopyBlock(dib.Width() / 2 - 32, dib.Height() / 2 - 32, 64, 64,
                      {block.data(), 64, 64, 64});
    }
    return 0;
}
