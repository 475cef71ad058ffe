// Writing screenshots as PNG. Where libpng is at hand (it comes with
// FreeType anyway) it writes them, so the game needs no SDL2_image;
// elsewhere SDL2_image does.
#include "platform/Image.h"

#include <cstdio>
#include <vector>

#ifdef BRINEHOLD_HAVE_LIBPNG
#include <png.h>
#else
#include <SDL.h>
#include <SDL_image.h>
#endif

namespace platform {

namespace {

bool Usable(const PixelView& picture) {
    return picture.pixels != nullptr && picture.width > 0 && picture.height > 0 &&
           picture.pitch >= picture.width;
}

#ifdef BRINEHOLD_HAVE_LIBPNG

// Three bytes a pixel, so the file has no alpha channel to misread.
std::vector<png_byte> RgbRows(const PixelView& picture) {
    const auto width = static_cast<std::size_t>(picture.width);
    std::vector<png_byte> rgb(width * 3 * static_cast<std::size_t>(picture.height));
    png_byte* out = rgb.data();
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t* row = picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = row[x];
            *out++ = static_cast<png_byte>(pixel >> 16);
            *out++ = static_cast<png_byte>(pixel >> 8);
            *out++ = static_cast<png_byte>(pixel);
        }
    }
    return rgb;
}

// libpng reports errors by longjmp: nothing with a destructor may be made
// between the setjmp and the end of this function.
bool WriteRgb(std::FILE* file, const PixelView& picture, std::vector<png_bytep>& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

#endif

} // namespace

bool WritePng(const std::string& path, PixelView picture) {
    if (!Usable(picture)) {
        return false;
    }
#ifdef BRINEHOLD_HAVE_LIBPNG
    std::vector<png_byte> rgb = RgbRows(picture);
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        rows[y] = rgb.data() + y * static_cast<std::size_t>(picture.width) * 3;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = WriteRgb(file, picture, rows);
    // A full disk shows only when the last bytes are flushed.
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(path.c_str());
        return false;
    }
    return true;
#else
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        picture.pixels, picture.width, picture.height, 32,
        picture.pitch * static_cast<int>(sizeof(std::uint32_t)), SDL_PIXELFORMAT_RGB888);
    if (source == nullptr) {
        return false;
    }
    // Three bytes a pixel, so the file has no alpha channel to misread.
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(source, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(source);
    if (rgb == nullptr) {
        return false;
    }
    const bool ok = IMG_SavePNG(rgb, path.c_str()) == 0;
    SDL_FreeSurface(rgb);
    return ok;
#endif
}

} // namespace platform
