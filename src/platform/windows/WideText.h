// UTF-8 <-> UTF-16 for the Windows calls that take wide strings. The game
// keeps its paths and texts as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

} // namespace platform
