// Reading a sound archive: the container header and component stream of a
// TWaveCollectionComponent, handing over each effect item in archive order.
#pragma once

#include <functional>
#include <string>

#include "assets/Wave.h"

class TStream;

// One effect item as stored, with the defaults of an absent property.
struct WaveItemData {
    std::string Name; // code page 1251
    bool Looped = false;
    int MaxPlayingCount = 0; // a negative stored value reads as 0 (no limit)
    bool HasWave = false;    // a "Wave.WAVE" block was read
    TWave Wave;              // empty when there was none
};

// Reads the archive at `path` (a game path: resolved with ResolveGamePath)
// and calls `onItem` once per item, in archive order, as soon as the item's
// properties are read. Errors are thrown with the reader's messages
// (EAssetError and its kinds); an item whose reading failed is still handed
// over, with the properties it received, before the error is thrown.
// `onClear` (optional) is called when a non-empty item list starts, so that
// items handed over before belong to an earlier list and are to be dropped.
void ReadWaveArchiveFile(const std::string& path, const std::function<void(WaveItemData&&)>& onItem,
                         const std::function<void()>& onClear = {});
void ReadWaveArchiveStream(TStream& stream, const std::function<void(WaveItemData&&)>& onItem,
                           const std::function<void()>& onClear = {});
