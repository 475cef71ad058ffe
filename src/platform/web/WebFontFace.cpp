// Fonts in the browser: the Liberation Sans (same metrics as Arial) packaged
// with the page under /fonts. Every family the game names is drawn in it.
#include <filesystem>
#include <system_error>

#include "platform/sdl/FontFace.h"

namespace platform {

bool FindFace(const std::string&, bool bold, bool italic, FontFace& face) {
    static const char* const kStyles[] = {"Regular", "Bold", "Italic", "BoldItalic"};
    const int style = (bold ? 1 : 0) + (italic ? 2 : 0);
    for (int candidate : {style, 0}) {
        const std::string file =
            std::string("/fonts/LiberationSans-") + kStyles[candidate] + ".ttf";
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error)) {
            face.file = file;
            face.index = 0;
            // A missing style is drawn from the regular face, made bold or
            // slanted by SDL_ttf.
            face.fakeBold = bold && candidate == 0;
            face.fakeItalic = italic && candidate == 0;
            return true;
        }
    }
    return false;
}

} // namespace platform
