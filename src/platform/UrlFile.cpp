#include "platform/UrlFile.h"

#include <cctype>

namespace platform {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

bool SafeLink(std::string_view url) {
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://")) {
        return false;
    }
    for (char c : url) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string UrlFromShortcut(std::string_view contents) {
    while (!contents.empty()) {
        const std::size_t end = contents.find_first_of("\r\n");
        std::string_view line = Trim(contents.substr(0, end));
        contents = end == std::string_view::npos ? std::string_view{} : contents.substr(end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = Trim(line.substr(0, equals));
        if (key.size() == 3 && StartsWithNoCase(key, "url")) {
            std::string_view url = Trim(line.substr(equals + 1));
            return SafeLink(url) ? std::string(url) : std::string();
        }
    }
    return {};
}

bool IsShortcutFile(std::string_view target) {
    return target.size() >= 4 && StartsWithNoCase(target.substr(target.size() - 4), ".url");
}

} // namespace platform
