// Fonts found by fontconfig.
#include <fontconfig/fontconfig.h>

#include "platform/sdl/FontFace.h"

namespace platform {

// Asks fontconfig for the face that stands in for `family` (Arial resolves to
// Liberation Sans, which has the same metrics).
bool FindFace(const std::string& family, bool bold, bool italic, FontFace& face) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* file = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr;
    if (found) {
        face.file = reinterpret_cast<const char*>(file);
        int index = 0;
        face.index = FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch ? index : 0;
        int weight = FC_WEIGHT_REGULAR;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        int slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        face.fakeBold = bold && weight < FC_WEIGHT_DEMIBOLD;
        face.fakeItalic = italic && slant == FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return found;
}

} // namespace platform
