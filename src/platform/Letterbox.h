// Placing the 800 x 600 picture on an output of another size (full screen):
// scaled to fit with its aspect kept, centred, the rest black bars.
#pragma once

namespace platform {

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// The largest rectangle of the picture's aspect that fits the output, centred.
// An output of the picture's own size gives the picture at (0, 0), 1 : 1.
Rect LetterboxRect(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight);

// Where the picture goes on an output (a full screen, or a window of another
// size). Where a whole multiple of the picture (every picture pixel `scale` x
// `scale` output pixels) fills at least 90 % of the height the fitted box
// would have, that multiple is used; otherwise the fitted box, to be filtered
// linearly (scale 0), since nearest-neighbour at an uneven ratio gives pixels
// of uneven widths.
struct Placement {
    Rect box;
    int scale = 0; // whole multiple; 0: filtered
};
Placement PlacePicture(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight);

// Maps a point of the output back into picture pixels, clamped to the picture.
// Returns whether the point lay on the picture (false on a bar).
bool OutputToPicture(const Rect& box, int pictureWidth, int pictureHeight, int outX, int outY,
                     int& x, int& y);

// Maps a picture pixel to the output point at the centre of its scaled pixel.
void PictureToOutput(const Rect& box, int pictureWidth, int pictureHeight, int x, int y, int& outX,
                     int& outY);

} // namespace platform
