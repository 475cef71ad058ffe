// Reading an image archive: the container header and component stream of a
// TPictureCollectionComponent, handing over the colour table and each image
// item in archive order.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "assets/DIB.h"

class TStream;

// One image item as stored, with the defaults of an absent property.
struct ImageItemData {
    std::string Name; // code page 1251
    TDIB Picture;     // empty when the item has no picture
    int PatternWidth = 0;
    int PatternHeight = 0;
    int SkipWidth = 0;
    int SkipHeight = 0;
    bool SystemMemory = false;
    bool Transparent = true;
    std::uint32_t TransparentColor = 0; // 0x00BBGGRR or a system colour 0xFF0000nn
};

struct ImageArchiveHandler {
    // Called for each item once its properties are read, in archive order.
    // An item whose reading failed is still handed over, with the properties
    // it received, before the error is thrown.
    std::function<void(ImageItemData&&)> Item;
    // A non-empty item list starts: items handed over before are to be
    // dropped (only happens when an archive holds "List" twice).
    std::function<void()> Clear;
    // "List.ColorTable": the 1024 bytes of the collection's colour table.
    std::function<void(const std::array<std::uint8_t, 1024>&)> ColorTable;
};

// Reads the archive at `path` (a game path: resolved with ResolveGamePath).
// Throws the reader's errors (EAssetError and its kinds) after handing over
// what was read before the failure.
void ReadImageArchiveFile(const std::string& path, const ImageArchiveHandler& handler);
void ReadImageArchiveStream(TStream& stream, const ImageArchiveHandler& handler);
