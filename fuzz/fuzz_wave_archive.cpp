#include <cstddef>
#include <cstdint>

#include "assets/Errors.h"
#include "assets/Stream.h"
#include "assets/WaveArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryView stream(data, size);
    try {
        ReadWaveArchiveStream(stream, [](WaveItemData&& item) {
            // What the sound output reads: the record's fields and the samples.
            volatile std::uint32_t sink = item.Wave.Channels() + item.Wave.SamplesPerSec() +
                                          item.Wave.BitsPerSample() + item.Wave.BlockAlign();
            if (item.Wave.Size() != 0) {
                sink = sink + item.Wave.Data()[item.Wave.Size() - 1];
            }
            (void)item.Wave.WaveImage();
        });
    } catch (const EAssetError&) {
    }
    return 0;
}
