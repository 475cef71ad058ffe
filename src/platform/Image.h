// PNG and BMP files for screenshots and the tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

// Writes the picture as an RGB PNG (no alpha). Returns false on failure.
bool WritePng(const std::string& path, PixelView picture);

// Reads a PNG or BMP file into 0x00RRGGBB pixels, top row first, pitch equal
// to the width. When `alpha` is given it receives one opacity byte a pixel
// (255 for files without alpha). Returns false when the file cannot be read.
bool ReadImageFile(const std::string& path, int& width, int& height,
                   std::vector<std::uint32_t>& pixels, std::vector<std::uint8_t>* alpha = nullptr);

} // namespace platform
