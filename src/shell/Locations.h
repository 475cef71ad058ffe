// Where the game finds its pictures and sounds and where it keeps config.dat.
// A pure decision over facts the platform layer gathers (environment values,
// the executable's and the working folder, a probe for existing files), so
// every system applies the same order, legacy copy and portable rule.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct TLocationFacts {
    enum class System { Posix, Windows };
    System system = System::Posix;
    std::string dataDirVariable;  // BRINEHOLD_DATA_DIR; empty when unset
    std::string configHome;       // XDG_CONFIG_HOME (POSIX) or APPDATA (Windows)
    std::string home;             // HOME (POSIX)
    std::string executableFolder; // empty when unknown
    std::string workingFolder;
    // The installed data folder relative to the executable's folder, such as
    // "../share/brinehold"; empty when the build has none.
    std::string installedDataRelative;
    bool workdirGiven = false; // --workdir: everything in the working folder, as always
    std::function<bool(const std::string& path)> exists;
};

struct TGameLocations {
    bool dataFound = false;
    std::string dataFolder;         // holds data/ and sound/; empty: the working folder
    std::vector<std::string> tried; // the folders looked at, in order
    std::string configFile;         // where config.dat is read and saved
    std::string configFolder;       // created (owner only) before a save; empty for none
    std::string legacyConfig;       // copied to configFile when that is missing; empty for none
    bool portable = false;
};

TGameLocations FindGameLocations(const TLocationFacts& facts);

// One line naming the folders that were tried.
std::string DataNotFoundMessage(const TGameLocations& locations);
