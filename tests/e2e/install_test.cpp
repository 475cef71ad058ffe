// The installed game: `cmake --install` into a temporary DESTDIR, then the
// installed binary started from an unrelated folder with its own HOME and
// XDG_CONFIG_HOME, as a player's desktop would start it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "e2e/Harness.h"

namespace fs = std::filesystem;

namespace {

// Every file of a tree with its size and time, to prove nothing changed.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>
Snapshot(const fs::path& root) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const auto size = entry.is_regular_file() ? entry.file_size() : 0;
        files[entry.path().lexically_relative(root).string()] = {size, entry.last_write_time()};
    }
    return files;
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

class InstalledGame : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "brinehold-install-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        const fs::path build = fs::path(BRINEHOLD_GAME_DIR).parent_path();
        const std::string command =
            "DESTDIR='" + (root_ / "dest").string() + "' cmake --install '" + build.string() +
            "' --prefix /usr --component game > '" + (root_ / "install.log").string() + "' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << e2e::ReadWholeFile(root_ / "install.log");
        prefix_ = root_ / "dest" / "usr";
        for (const char* folder : {"work", "home", "xdg"}) {
            fs::create_directories(root_ / folder);
        }
        setenv("HOME", (root_ / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ / "xdg").c_str(), 1);
        unsetenv("BRINEHOLD_DATA_DIR");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    e2e::RunResult Start(const fs::path& prefix, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {(prefix / "bin" / "brinehold").string(), "--headless",
                                         "--ticks", "10"};
        args.insert(args.end(), extra.begin(), extra.end());
        return e2e::RunProcess(args, Work());
    }
    fs::path Work() const { return root_ / "work"; }
    fs::path Settings() const { return root_ / "xdg" / "brinehold" / "config.dat"; }
    // The work folder without the harness's own capture files.
    std::vector<std::string> WorkFiles() const {
        std::vector<std::string> names;
        for (const std::string& name : Listing(Work())) {
            if (name != ".stdout" && name != ".stderr") {
                names.push_back(name);
            }
        }
        return names;
    }

    fs::path root_;
    fs::path prefix_;
};

TEST_F(InstalledGame, InstalledFilesPassTheValidatorsAndShareOneId) {
    const auto desktop = Listing(prefix_ / "share" / "applications");
    ASSERT_EQ(desktop.size(), 1u);
    const std::string id = fs::path(desktop[0]).stem().string();
    EXPECT_NE(id.find('.'), std::string::npos) << "a reverse-DNS id: " << id;
    const fs::path desktopFile = prefix_ / "share" / "applications" / desktop[0];
    const fs::path metainfo = prefix_ / "share" / "metainfo" / (id + ".metainfo.xml");
    ASSERT_TRUE(fs::exists(metainfo));

    const auto desktopCheck =
        e2e::RunProcess({"/usr/bin/desktop-file-validate", desktopFile}, root_);
    EXPECT_EQ(desktopCheck.exitCode, 0) << desktopCheck.out << desktopCheck.err;
    EXPECT_EQ(desktopCheck.out + desktopCheck.err, "");
    const auto appstream =
        e2e::RunProcess({"/usr/bin/appstreamcli", "validate", "--no-net", metainfo}, root_);
    EXPECT_EQ(appstream.exitCode, 0) << appstream.out << appstream.err;

    const std::string entry = e2e::ReadWholeFile(desktopFile);
    EXPECT_NE(entry.find("\nName=Brinehold\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=" + id + "\n"), std::string::npos) << entry;
    const std::string meta = e2e::ReadWholeFile(metainfo);
    EXPECT_NE(meta.find("<id>" + id + "</id>"), std::string::npos);
    EXPECT_NE(meta.find("<launchable type=\"desktop-id\">" + id + ".desktop</launchable>"),
              std::string::npos);
    for (const char* size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256", "512x512"}) {
        EXPECT_TRUE(fs::exists(prefix_ / "share/icons/hicolor" / size / "apps" / (id + ".png")))
            << size;
    }
    EXPECT_TRUE(fs::exists(prefix_ / "share/icons/hicolor/scalable/apps" / (id + ".svg")));
    EXPECT_TRUE(fs::exists(prefix_ / "share/man/man6/brinehold.6.gz"));
    for (const char* tool : {"brinehold-archive", "brinehold-artgen", "brinehold-fetch"}) {
        EXPECT_TRUE(fs::exists(prefix_ / "bin" / tool)) << tool;
        EXPECT_TRUE(fs::exists(prefix_ / "share/man/man1" / (std::string(tool) + ".1.gz"))) << tool;
    }
}

TEST_F(InstalledGame, KeepsSettingsInTheConfigFolderAndWritesNothingElse) {
    const auto before = Snapshot(prefix_);
    const auto result = Start(prefix_, {"--log", (root_ / "log.txt").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(e2e::ReadWholeFile(root_ / "log.txt").find("0 save config.dat\n"), std::string::npos);
    ASSERT_TRUE(fs::exists(Settings()));
    EXPECT_EQ(fs::file_size(Settings()), 158u);
    struct stat info {};
    ASSERT_EQ(stat(Settings().parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(WorkFiles().empty());
    EXPECT_TRUE(Listing(root_ / "home").empty());
    EXPECT_EQ(Snapshot(prefix_), before);

    // Without XDG_CONFIG_HOME the settings go to ~/.config/brinehold.
    unsetenv("XDG_CONFIG_HOME");
    ASSERT_EQ(Start(prefix_).exitCode, 0);
    EXPECT_EQ(fs::file_size(root_ / "home/.config/brinehold/config.dat"), 158u);
}

TEST_F(InstalledGame, LegacySettingsAreCopiedAndLeftInPlace) {
    // A settings file of an older version, with music switched off.
    ASSERT_EQ(Start(prefix_).exitCode, 0);
    std::string legacy = e2e::ReadWholeFile(Settings());
    ASSERT_EQ(legacy.size(), 158u);
    legacy[1] = static_cast<char>(legacy[1] ^ 1);
    fs::remove_all(root_ / "xdg");
    std::ofstream(Work() / "config.dat", std::ios::binary) << legacy;

    const auto result = Start(prefix_, {"--dump-state", "10:" + (root_ / "s.json").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(e2e::ReadWholeFile(Settings()), legacy);
    EXPECT_EQ(e2e::ReadWholeFile(Work() / "config.dat"), legacy);
    EXPECT_EQ(WorkFiles(), std::vector<std::string>{"config.dat"});
    const auto state = nlohmann::json::parse(e2e::ReadWholeFile(root_ / "s.json"));
    EXPECT_EQ(state["config"]["MusicOn"], 0) << state["config"];

    // Kept settings win over the old file from then on.
    std::ofstream(Work() / "config.dat", std::ios::binary | std::ios::trunc) << "garbage";
    ASSERT_EQ(Start(prefix_).exitCode, 0);
    EXPECT_EQ(e2e::ReadWholeFile(Settings()), legacy);
}

TEST_F(InstalledGame, MissingDataNamesThePlacesTriedAndExitsWithOne) {
    fs::rename(prefix_ / "share/brinehold", root_ / "elsewhere");
    const auto result = Start(prefix_);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("share/brinehold"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find((prefix_ / "bin").string()), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_FALSE(fs::exists(Settings()));

    // BRINEHOLD_DATA_DIR finds data kept anywhere.
    setenv("BRINEHOLD_DATA_DIR", (root_ / "elsewhere").c_str(), 1);
    const auto found = Start(prefix_);
    unsetenv("BRINEHOLD_DATA_DIR");
    EXPECT_EQ(found.exitCode, 0) << found.err;
}

TEST_F(InstalledGame, AMovedInstallationStillStarts) {
    const fs::path moved = root_ / "moved" / "games";
    fs::create_directories(moved.parent_path());
    fs::rename(prefix_, moved);
    const auto result = Start(moved);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(fs::exists(Settings()));
}

TEST_F(InstalledGame, PortableModeKeepsSettingsBesideTheGame) {
    std::ofstream(prefix_ / "bin" / "portable").put('\n');
    const auto result = Start(prefix_);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(fs::file_size(prefix_ / "bin" / "config.dat"), 158u);
    EXPECT_FALSE(fs::exists(root_ / "xdg" / "brinehold"));
    EXPECT_TRUE(WorkFiles().empty());
}

} // namespace
