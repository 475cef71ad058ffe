#include "Archives.h"

namespace art {

std::vector<ImageItemSpec> ToSpecs(const std::vector<Picture>& pictures) {
    std::vector<ImageItemSpec> items;
    for (const Picture& p : pictures) {
        ImageItemSpec item;
        item.Name = p.name; // plain ASCII names: the same bytes in code page 1251
        item.Width = p.width;
        item.Height = p.height;
        item.Pixels = p.pixels;
        item.PatternWidth = p.patternWidth;
        item.PatternHeight = p.patternHeight;
        item.Transparent = p.transparent;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace art
