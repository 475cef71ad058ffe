#include "assets/Paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
std::string& GameFolder() {
    static std::string folder;
    return folder;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}
} // namespace

void SetGameFolder(const std::string& folder) {
    GameFolder() = folder;
}

std::string ResolveGamePath(const std::string& path) {
    std::string slashed = path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    if (!GameFolder().empty() && !slashed.empty() && slashed.front() != '/') {
        slashed = (fs::path(GameFolder()) / slashed).string();
    }
    fs::path wanted(slashed);
    std::error_code ec;
    if (fs::exists(wanted, ec)) {
        return slashed;
    }
    fs::path resolved = wanted.root_path();
    for (const auto& part : wanted.relative_path()) {
        std::string name = part.string();
        if (name.empty() || name == "." || name == "..") {
            resolved /= part;
            continue;
        }
        fs::path exact = resolved / part;
        if (fs::exists(exact, ec)) {
            resolved = exact;
            continue;
        }
        // Several names differing only in case: take the first in byte order,
        // so the choice does not depend on the directory's listing order.
        std::string match;
        fs::path directory = resolved.empty() ? fs::path(".") : resolved;
        for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
            std::string candidate = it->path().filename().string();
            if (SameTextAscii(candidate, name) && (match.empty() || candidate < match)) {
                match = candidate;
            }
        }
        if (match.empty()) {
            return slashed;
        }
        resolved /= match;
    }
    return resolved.string();
}
