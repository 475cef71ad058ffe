// The game keeps its paths as UTF-8 strings. They become std::filesystem paths
// through char8_t: on Windows a plain std::string would be read in the ANSI
// code page, and a folder such as C:\Users\Иван would be lost.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

} // namespace platform
