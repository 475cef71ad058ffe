// Reading pictures for the tools: SDL2_image knows every format a modder may
// bring. The game itself only writes (PngWriter.cpp), so it does not load
// SDL2_image and its image libraries at start.
#include "platform/Image.h"

#include <SDL.h>
#include <SDL_image.h>

namespace platform {

bool ReadImageFile(const std::string& path, int& width, int& height,
                   std::vector<std::uint32_t>& pixels, std::vector<std::uint8_t>* alpha) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (loaded == nullptr) {
        // SDL_image may be built without BMP (the Windows one is); SDL reads it anyway.
        loaded = SDL_LoadBMP(path.c_str());
    }
    if (loaded == nullptr) {
        return false;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (argb == nullptr) {
        return false;
    }
    width = argb->w;
    height = argb->h;
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    pixels.resize(count);
    if (alpha != nullptr) {
        alpha->resize(count);
    }
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(argb->pixels) + static_cast<std::ptrdiff_t>(y) * argb->pitch);
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            pixels[i] = row[x] & 0xFFFFFF;
            if (alpha != nullptr) {
                (*alpha)[i] = static_cast<std::uint8_t>(row[x] >> 24);
            }
        }
    }
    SDL_FreeSurface(argb);
    return true;
}

} // namespace platform
