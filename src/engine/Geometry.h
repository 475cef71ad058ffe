// Rectangles in surface pixels: left, top, right, bottom with right and bottom
// exclusive. Two rectangles overlap only when they share a pixel.
#pragma once

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Empty() const { return Left >= Right || Top >= Bottom; }
    bool operator==(const TRect&) const = default;
};

inline TRect Bounds(int left, int top, int width, int height) {
    return TRect{left, top, left + width, top + height};
}

// Strict: rectangles that only touch along an edge do not overlap.
inline bool OverlapRect(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}
