// The application icon: the diver of the game in open water inside the
// brass-rimmed frame of the menus, as PNG files for the hicolor theme's fixed
// sizes and as a scalable SVG.
#pragma once

#include <string>

namespace art {

// Writes THEME/hicolor/NxN/apps/ID.png for 16..512 and
// THEME/hicolor/scalable/apps/ID.svg.
void WriteIcons(const std::string& theme, const std::string& appId);

} // namespace art
