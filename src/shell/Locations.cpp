#include "shell/Locations.h"

#include <filesystem>

#include "platform/FilePath.h"

namespace {

constexpr const char* ConfigName = "config.dat";

std::string Join(const std::string& folder, const std::string& name) {
    // Through UTF-8 paths: a Windows user folder may hold any letters.
    return platform::Utf8FromPath(
        (platform::PathFromUtf8(folder) / platform::PathFromUtf8(name)).lexically_normal());
}

bool HoldsData(const TLocationFacts& facts, const std::string& folder) {
    return facts.exists(Join(folder, "data")) && facts.exists(Join(folder, "sound"));
}

// The per-user settings folder; empty when the environment names no home.
std::string UserConfigFolder(const TLocationFacts& facts) {
    if (facts.system == TLocationFacts::System::Windows) {
        return facts.configHome.empty() ? std::string() : Join(facts.configHome, "Brinehold");
    }
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (!facts.configHome.empty() && facts.configHome.front() == '/') {
        return Join(facts.configHome, "brinehold");
    }
    return facts.home.empty() ? std::string() : Join(facts.home, ".config/brinehold");
}

void FindData(const TLocationFacts& facts, TGameLocations& out) {
    std::vector<std::string> candidates;
    if (!facts.dataDirVariable.empty()) {
        candidates.push_back(facts.dataDirVariable);
    }
    if (!facts.executableFolder.empty()) {
        candidates.push_back(platform::Utf8FromPath(
            platform::PathFromUtf8(facts.executableFolder).lexically_normal()));
        if (!facts.installedDataRelative.empty()) {
            candidates.push_back(Join(facts.executableFolder, facts.installedDataRelative));
        }
    }
    for (const std::string& folder : candidates) {
        out.tried.push_back(folder);
        if (HoldsData(facts, folder)) {
            out.dataFound = true;
            out.dataFolder = folder;
            return;
        }
    }
}

void FindConfig(const TLocationFacts& facts, TGameLocations& out) {
    const std::string& exe = facts.executableFolder;
    out.portable = !exe.empty() && facts.exists(Join(exe, "portable"));
    const std::string user = out.portable ? std::string() : UserConfigFolder(facts);
    if (user.empty()) {
        // Portable, or no home to keep settings in: beside the executable.
        out.configFile = exe.empty() ? ConfigName : Join(exe, ConfigName);
        return;
    }
    out.configFolder = user;
    out.configFile = Join(user, ConfigName);
    if (facts.exists(out.configFile)) {
        return;
    }
    for (const std::string& folder : {facts.workingFolder, exe}) {
        if (!folder.empty() && facts.exists(Join(folder, ConfigName))) {
            out.legacyConfig = Join(folder, ConfigName);
            return;
        }
    }
}

} // namespace

TGameLocations FindGameLocations(const TLocationFacts& facts) {
    TGameLocations out;
    if (facts.workdirGiven) {
        // Data and settings both come from the working folder, by relative paths.
        out.dataFound = true;
        out.configFile = ConfigName;
        return out;
    }
    FindData(facts, out);
    FindConfig(facts, out);
    return out;
}

std::string DataNotFoundMessage(const TGameLocations& locations) {
    std::string message = "cannot find the game's data (data/ and sound/); looked in";
    if (locations.tried.empty()) {
        return message + " no folder (set BRINEHOLD_DATA_DIR)";
    }
    for (std::size_t i = 0; i < locations.tried.size(); ++i) {
        message += (i == 0 ? " " : ", ") + locations.tried[i];
    }
    return message + " (set BRINEHOLD_DATA_DIR to the folder that holds them)";
}
