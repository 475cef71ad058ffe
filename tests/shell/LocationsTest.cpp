#include "shell/Locations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/FilePath.h"

namespace {

// A path as this system spells it: the game joins paths with the system's
// separator, so "/opt/bh/bin" comes back as "\opt\bh\bin" on Windows.
std::string N(const std::string& path) {
    return platform::Utf8FromPath(platform::PathFromUtf8(path).lexically_normal());
}

std::vector<std::string> N(std::vector<std::string> paths) {
    std::transform(paths.begin(), paths.end(), paths.begin(),
                   [](const std::string& path) { return N(path); });
    return paths;
}

// A machine described by the files on it.
TLocationFacts Facts(std::set<std::string> files) {
    TLocationFacts facts;
    facts.home = "/home/p";
    facts.executableFolder = "/opt/bh/bin";
    facts.workingFolder = "/tmp/w";
    facts.installedDataRelative = "../share/brinehold";
    std::set<std::string> native;
    for (const std::string& file : files) {
        native.insert(N(file));
    }
    facts.exists = [files = std::move(native)](const std::string& path) {
        return files.count(N(path)) > 0;
    };
    return facts;
}

const std::set<std::string> kInstalled = {"/opt/bh/share/brinehold/data",
                                          "/opt/bh/share/brinehold/sound"};

TEST(Locations, DataIsLookedForInOrder) {
    struct Case {
        const char* what;
        std::string variable;
        std::set<std::string> files;
        std::string expected; // empty: not found
    };
    const Case cases[] = {
        {"installed tree", "", kInstalled, "/opt/bh/share/brinehold"},
        {"beside the executable wins over the installed tree",
         "",
         {"/opt/bh/bin/data", "/opt/bh/bin/sound", "/opt/bh/share/brinehold/data",
          "/opt/bh/share/brinehold/sound"},
         "/opt/bh/bin"},
        {"the variable wins",
         "/mods",
         {"/mods/data", "/mods/sound", "/opt/bh/bin/data", "/opt/bh/bin/sound"},
         "/mods"},
        {"a variable without data falls through", "/empty", kInstalled, "/opt/bh/share/brinehold"},
        {"data/ alone is not enough", "", {"/opt/bh/bin/data"}, ""},
        {"nothing anywhere", "/empty", {}, ""},
    };
    for (const Case& c : cases) {
        TLocationFacts facts = Facts(c.files);
        facts.dataDirVariable = c.variable;
        const TGameLocations found = FindGameLocations(facts);
        EXPECT_EQ(found.dataFound, !c.expected.empty()) << c.what;
        EXPECT_EQ(N(found.dataFolder), N(c.expected)) << c.what;
    }
}

TEST(Locations, MissingDataNamesEveryFolderTried) {
    TLocationFacts facts = Facts({});
    facts.dataDirVariable = "/mods";
    const TGameLocations found = FindGameLocations(facts);
    ASSERT_FALSE(found.dataFound);
    EXPECT_EQ(N(found.tried),
              N(std::vector<std::string>{"/mods", "/opt/bh/bin", "/opt/bh/share/brinehold"}));
    const std::string message = DataNotFoundMessage(found);
    for (const std::string& folder : found.tried) {
        EXPECT_NE(message.find(folder), std::string::npos) << message;
    }
    EXPECT_EQ(message.find('\n'), std::string::npos);
}

TEST(Locations, SettingsLiveInTheUsersConfigFolder) {
    struct Case {
        const char* what;
        std::string configHome;
        std::string home;
        std::string folder;
        std::string file;
    };
    const Case cases[] = {
        {"XDG_CONFIG_HOME", "/xdg", "/home/p", "/xdg/brinehold", "/xdg/brinehold/config.dat"},
        {"unset", "", "/home/p", "/home/p/.config/brinehold",
         "/home/p/.config/brinehold/config.dat"},
        {"a relative XDG_CONFIG_HOME is ignored", "rel", "/home/p", "/home/p/.config/brinehold",
         "/home/p/.config/brinehold/config.dat"},
        {"no home at all: beside the executable", "", "", "", "/opt/bh/bin/config.dat"},
    };
    for (const Case& c : cases) {
        TLocationFacts facts = Facts(kInstalled);
        facts.configHome = c.configHome;
        facts.home = c.home;
        const TGameLocations found = FindGameLocations(facts);
        EXPECT_EQ(N(found.configFolder), N(c.folder)) << c.what;
        EXPECT_EQ(N(found.configFile), N(c.file)) << c.what;
        EXPECT_TRUE(found.legacyConfig.empty()) << c.what;
        EXPECT_FALSE(found.portable) << c.what;
    }
}

TEST(Locations, LegacySettingsAreCopiedOnlyWhenNoneAreKept) {
    struct Case {
        const char* what;
        std::set<std::string> files;
        std::string legacy;
    };
    const Case cases[] = {
        {"working folder first",
         {"/tmp/w/config.dat", "/opt/bh/bin/config.dat"},
         "/tmp/w/config.dat"},
        {"beside the executable", {"/opt/bh/bin/config.dat"}, "/opt/bh/bin/config.dat"},
        {"already kept", {"/home/p/.config/brinehold/config.dat", "/tmp/w/config.dat"}, ""},
        {"none", {}, ""},
    };
    for (const Case& c : cases) {
        std::set<std::string> files = kInstalled;
        files.insert(c.files.begin(), c.files.end());
        const TGameLocations found = FindGameLocations(Facts(files));
        EXPECT_EQ(N(found.legacyConfig), N(c.legacy)) << c.what;
        EXPECT_EQ(N(found.configFile), N("/home/p/.config/brinehold/config.dat")) << c.what;
    }
}

TEST(Locations, PortableKeepsSettingsBesideTheExecutable) {
    std::set<std::string> files = kInstalled;
    files.insert({"/opt/bh/bin/portable", "/tmp/w/config.dat"});
    const TGameLocations found = FindGameLocations(Facts(files));
    EXPECT_TRUE(found.portable);
    EXPECT_EQ(N(found.configFile), N("/opt/bh/bin/config.dat"));
    EXPECT_TRUE(found.configFolder.empty());
    EXPECT_TRUE(found.legacyConfig.empty());
}

TEST(Locations, WorkdirKeepsEverythingInTheWorkingFolder) {
    TLocationFacts facts = Facts({"/home/p/.config/brinehold/config.dat", "/opt/bh/bin/portable"});
    facts.workdirGiven = true;
    const TGameLocations found = FindGameLocations(facts);
    EXPECT_TRUE(found.dataFound);
    EXPECT_EQ(found.dataFolder, "");
    EXPECT_EQ(found.configFile, "config.dat");
    EXPECT_TRUE(found.configFolder.empty());
    EXPECT_TRUE(found.legacyConfig.empty());
}

TEST(Locations, WindowsKeepsSettingsUnderAppData) {
    struct Case {
        const char* what;
        std::string appData;
        std::set<std::string> files;
        std::string file;
        std::string legacy;
    };
    const Case cases[] = {
        {"APPDATA", "/appdata", {}, "/appdata/Brinehold/config.dat", ""},
        // Every letter of a user's name survives the joins.
        {"a Cyrillic user name",
         "C:/Users/Иван/AppData/Roaming",
         {},
         "C:/Users/Иван/AppData/Roaming/Brinehold/config.dat",
         ""},
        {"an old config.dat beside the game is copied",
         "/appdata",
         {"/opt/bh/bin/config.dat"},
         "/appdata/Brinehold/config.dat",
         "/opt/bh/bin/config.dat"},
        {"portable: beside the game",
         "/appdata",
         {"/opt/bh/bin/portable"},
         "/opt/bh/bin/config.dat",
         ""},
        {"no APPDATA: beside the game", "", {}, "/opt/bh/bin/config.dat", ""},
    };
    for (const Case& c : cases) {
        std::set<std::string> files = kInstalled;
        files.insert(c.files.begin(), c.files.end());
        TLocationFacts facts = Facts(files);
        facts.system = TLocationFacts::System::Windows;
        facts.configHome = c.appData;
        facts.home = "";
        const TGameLocations found = FindGameLocations(facts);
        EXPECT_EQ(N(found.configFile), N(c.file)) << c.what;
        EXPECT_EQ(N(found.legacyConfig), N(c.legacy)) << c.what;
    }
}

} // namespace
