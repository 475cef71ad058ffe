// Reading the link that a ".url" internet shortcut holds, for opening it with
// the desktop.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The value of the first "URL=" line (key without regard to case, blanks
// around key and value dropped), or empty when there is none. Only http and https
// links are returned: a shortcut file must not make the desktop run anything.
std::string UrlFromShortcut(std::string_view contents);

// Whether `target` names a ".url" file (without regard to case).
bool IsShortcutFile(std::string_view target);

} // namespace platform
