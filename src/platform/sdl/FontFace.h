// Which font file stands for a family name and style on this system.
#pragma once

#include <string>

namespace platform {

struct FontFace {
    std::string file;
    int index = 0;
    bool fakeBold = false; // no bold face installed: let SDL_ttf embolden
    bool fakeItalic = false;
};

// Fills `face` and returns true when some installed font can stand in.
bool FindFace(const std::string& family, bool bold, bool italic, FontFace& face);

} // namespace platform
