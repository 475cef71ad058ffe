#include "platform/Letterbox.h"

#include <algorithm>
#include <cstdint>

namespace platform {

Rect LetterboxRect(int outW, int outH, int picW, int picH) {
    if (outW <= 0 || outH <= 0 || picW <= 0 || picH <= 0) {
        return {};
    }
    Rect r;
    // Compare outW / outH with picW / picH without rounding.
    if (std::int64_t{outW} * picH <= std::int64_t{outH} * picW) {
        r.w = outW;
        r.h = static_cast<int>(std::int64_t{outW} * picH / picW);
    } else {
        r.h = outH;
        r.w = static_cast<int>(std::int64_t{outH} * picW / picH);
    }
    r.x = (outW - r.w) / 2;
    r.y = (outH - r.h) / 2;
    return r;
}

Placement PlacePicture(int outW, int outH, int picW, int picH) {
    Placement placement;
    placement.box = LetterboxRect(outW, outH, picW, picH);
    if (placement.box.w <= 0) {
        return placement;
    }
    const int scale = std::min(outW / picW, outH / picH);
    if (scale >= 1 && std::int64_t{scale} * picH * 10 >= std::int64_t{placement.box.h} * 9) {
        placement.scale = scale;
        placement.box.w = picW * scale;
        placement.box.h = picH * scale;
        placement.box.x = (outW - placement.box.w) / 2;
        placement.box.y = (outH - placement.box.h) / 2;
    }
    return placement;
}

bool OutputToPicture(const Rect& box, int picW, int picH, int outX, int outY, int& x, int& y) {
    if (box.w <= 0 || box.h <= 0) {
        x = std::clamp(outX, 0, std::max(picW - 1, 0));
        y = std::clamp(outY, 0, std::max(picH - 1, 0));
        return outX >= 0 && outY >= 0 && outX < picW && outY < picH;
    }
    const std::int64_t dx = outX - box.x;
    const std::int64_t dy = outY - box.y;
    const bool inside = dx >= 0 && dy >= 0 && dx < box.w && dy < box.h;
    // Floor division, so points left of the box do not round towards 0.
    auto scale = [](std::int64_t d, int pic, int out) {
        std::int64_t n = d * pic;
        return static_cast<int>(n >= 0 ? n / out : -((-n + out - 1) / out));
    };
    x = std::clamp(scale(dx, picW, box.w), 0, picW - 1);
    y = std::clamp(scale(dy, picH, box.h), 0, picH - 1);
    return inside;
}

void PictureToOutput(const Rect& box, int picW, int picH, int x, int y, int& outX, int& outY) {
    if (box.w <= 0 || box.h <= 0 || picW <= 0 || picH <= 0) {
        outX = x;
        outY = y;
        return;
    }
    outX = box.x + static_cast<int>((std::int64_t{x} * 2 + 1) * box.w / (2 * std::int64_t{picW}));
    outY = box.y + static_cast<int>((std::int64_t{y} * 2 + 1) * box.h / (2 * std::int64_t{picH}));
}

} // namespace platform
