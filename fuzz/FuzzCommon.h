// Shared by the fuzz targets: decode a picture only when its size is modest,
// so the fuzzer spends its time on parsing rather than on huge fills.
#pragma once

#include "assets/DIB.h"

inline void TouchPixels(const TDIB& picture) {
    if (static_cast<long long>(picture.Width()) * picture.Height() <= 1 << 22) {
        volatile std::uint32_t sink = 0;
        for (std::uint32_t pixel : picture.Pixels()) {
            sink = sink + pixel;
        }
    }
}
