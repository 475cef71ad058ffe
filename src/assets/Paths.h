// Game paths such as "data\\menu.dxg": relative to the game folder,
// '\' read as '/', and each component matched without regard to case.
#pragma once

#include <string>

// The existing file or folder that `path` names, matching every component
// case-insensitively (an exact match wins). When some component has no match,
// returns the path with '\' turned into '/' and the rest unchanged, so that
// opening it fails with the usual message.
std::string ResolveGamePath(const std::string& path);

// The folder that relative game paths start from; empty (the default) means
// the working directory.
void SetGameFolder(const std::string& folder);
