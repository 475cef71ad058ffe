// Contact sheets: every picture of an archive on one PNG, with its index,
// name, size and patterns, so the art can be reviewed as the game shows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Art.h"

namespace art {

struct SheetItem {
    std::string name; // UTF-8
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, top row first
    int patternWidth = 0;
    int patternHeight = 0;
    int skipWidth = 0;
    int skipHeight = 0;
    bool transparent = true;
    std::uint32_t key = 0; // 0x00RRGGBB

    static SheetItem From(const Picture& picture);
    int PatternCount() const;
};

// Throws std::runtime_error when the PNG cannot be written.
void WriteContactSheet(const std::vector<SheetItem>& items, const std::string& title,
                       const std::string& pngPath);
void WritePicturePng(const SheetItem& item, const std::string& pngPath);

} // namespace art
