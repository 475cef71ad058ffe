#include "common/Config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("brinehold-config-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        path_ = (dir_ / "config.dat").string();
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        // Windows removes no read-only file.
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(dir_);
    }
    void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    fs::path dir_;
    std::string path_;
};

TEST(Config, DefaultRecordIsStoredByteForByte) {
    TConfigRecord record = DefaultConfig();
    ScrambleConfig(record);
    const TConfigBytes bytes = ConfigToBytes(record);
    // Flags 1 stored XOR 1, F12, empty country with its area complemented.
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[4], 0x7B);
    EXPECT_EQ(bytes[5], 0x00);
    EXPECT_EQ(bytes[6], 0);
    for (int i = 7; i < 17; ++i) {
        EXPECT_EQ(bytes[i], 0xFF) << i;
    }
    const std::string anonymous = "Anonymous";
    for (int r = 0; r < 10; ++r) {
        const int at = 18 + 14 * r;
        EXPECT_EQ(bytes[at], 9);
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(bytes[at + 1 + i], static_cast<std::uint8_t>(~anonymous[i]));
        }
        EXPECT_EQ(bytes[at + 10], 0xFF); // past the name: zero, complemented
        const std::uint16_t stored = static_cast<std::uint16_t>(~((10 - r) * 100));
        EXPECT_EQ(bytes[at + 12], stored & 0xFF);
        EXPECT_EQ(bytes[at + 13], stored >> 8);
    }
    EXPECT_EQ(bytes[18 + 12], 0x17);
    EXPECT_EQ(bytes[18 + 13], 0xFC);
}

TEST(Config, ScrambleIsItsOwnInverseAndRoundTrips) {
    TConfigRecord record = DefaultConfig();
    record.Windowed = 0;
    record.BossKey = 65;
    record.Country.Assign("\xD0\xEE\xF1\xF1\xE8\xFF"); // cp1251 text
    record.ScoreTable[3].Name.Assign("0123456789");
    record.ScoreTable[3].Score = 65535;
    TConfigRecord copy = record;
    ScrambleConfig(copy);
    EXPECT_NE(ConfigToBytes(copy), ConfigToBytes(record));
    ScrambleConfig(copy);
    EXPECT_EQ(ConfigToBytes(copy), ConfigToBytes(record));
    EXPECT_EQ(ConfigToBytes(ConfigFromBytes(ConfigToBytes(record))), ConfigToBytes(record));
}

TEST(Config, LengthBytesAboveTenAreClamped) {
    TConfigBytes bytes = ConfigToBytes(DefaultConfig());
    bytes[6] = 200;
    bytes[18] = 11;
    const TConfigRecord record = ConfigFromBytes(bytes);
    EXPECT_EQ(record.Country.Length, 10);
    EXPECT_EQ(record.Country.Text().size(), 10u);
    EXPECT_EQ(record.ScoreTable[0].Name.Length, 10);
}

TEST(Config, ShortStringKeepsTenCharacters) {
    TShortString10 text;
    for (char c : std::string("abcdefghijkl")) {
        text.Append(c);
    }
    EXPECT_EQ(text.Text(), "abcdefghij");
    text.DeleteLast();
    EXPECT_EQ(text.Text(), "abcdefghi");
    text.Assign("");
    text.DeleteLast();
    EXPECT_EQ(text.Length, 0);
    text.Assign("0123456789ABC");
    EXPECT_EQ(text.Text(), "0123456789");
}

TEST(Config, ScoreRank) {
    const TConfigRecord record = DefaultConfig(); // 1000 .. 100
    const struct {
        std::uint16_t score;
        int rank;
    } cases[] = {{0, 11},  {100, 11}, {101, 10}, {800, 4},
                 {801, 3}, {1000, 2}, {1001, 1}, {65535, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(ScoreRank(record, c.score), c.rank) << c.score;
    }
}

TEST(Config, InsertNewScore) {
    const struct {
        std::uint16_t score;
        int rank; // where the new entry lands; 0: dropped
    } cases[] = {{800, 4}, {801, 3}, {5000, 1}, {101, 10}, {100, 0}, {0, 0}};
    for (const auto& c : cases) {
        TConfigRecord record = DefaultConfig();
        TScoreEntry entry;
        entry.Name.Assign("New");
        entry.Score = c.score;
        InsertNewScore(record, entry);
        int found = 0;
        for (int r = 0; r < 10; ++r) {
            if (record.ScoreTable[r].Name.Text() == "New") {
                found = r + 1;
            }
        }
        EXPECT_EQ(found, c.rank) << c.score;
        for (int r = 1; r < 10; ++r) {
            EXPECT_GE(record.ScoreTable[r - 1].Score, record.ScoreTable[r].Score);
        }
        if (c.rank != 0) {
            EXPECT_EQ(record.ScoreTable[9].Score, c.rank == 10 ? c.score : 200);
        }
    }
}

TEST(Config, BossKeyNames) {
    const struct {
        std::uint16_t key;
        const char* name;
    } cases[] = {{32, "Space"}, {48, "0"},          {57, "9"},    {65, "A"},
                 {90, "Z"},     {91, "Window Key"}, {112, "F1"},  {123, "F12"},
                 {9, "prev"},   {124, "prev"},      {92, "prev"}, {47, "prev"}};
    for (const auto& c : cases) {
        EXPECT_EQ(BossKeyNameOf(c.key, "prev"), c.name) << c.key;
    }
}

TEST_F(ConfigFile, WriteThenReadKeepsTheRecordAndLeaves158Bytes) {
    TConfigRecord record = DefaultConfig();
    record.SoundOn = 0;
    record.Country.Assign("Mars");
    std::string error;
    ASSERT_TRUE(WriteConfigFile(path_, record, error)) << error;
    EXPECT_EQ(fs::file_size(path_), 158u);
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));
    TConfigRecord read;
    ASSERT_TRUE(ReadConfigFile(path_, read));
    EXPECT_EQ(ConfigToBytes(read), ConfigToBytes(record));
}

TEST_F(ConfigFile, ShortMissingAndLongFiles) {
    TConfigRecord record;
    EXPECT_FALSE(ReadConfigFile(path_, record));
    Write(std::string(100, '\0'));
    EXPECT_FALSE(ReadConfigFile(path_, record));
    Write(std::string(157, '\0'));
    EXPECT_FALSE(ReadConfigFile(path_, record));

    TConfigRecord stored = DefaultConfig();
    stored.BossKey = 65;
    ScrambleConfig(stored);
    const TConfigBytes bytes = ConfigToBytes(stored);
    Write(std::string(bytes.begin(), bytes.end()) + std::string(500, 'x'));
    ASSERT_TRUE(ReadConfigFile(path_, record));
    EXPECT_EQ(record.BossKey, 65);
    EXPECT_EQ(record.Windowed, 1);
    std::string error;
    ASSERT_TRUE(WriteConfigFile(path_, record, error));
    EXPECT_EQ(fs::file_size(path_), 158u); // the save truncates to one record
}

TEST_F(ConfigFile, FailedWriteLeavesTheOldFile) {
    std::string error;
    ASSERT_TRUE(WriteConfigFile(path_, DefaultConfig(), error));
    const std::string before = Bytes(path_);
    // A directory where the temporary file should go: no write can succeed,
    // even for root.
    fs::create_directory(path_ + ".tmp");
    TConfigRecord changed = DefaultConfig();
    changed.MusicOn = 0;
    EXPECT_FALSE(WriteConfigFile(path_, changed, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Bytes(path_), before);
}

TEST_F(ConfigFile, ALinkIsFollowedAndStays) {
    fs::create_directory(dir_ / "real");
    const fs::path target = dir_ / "real" / "config.dat";
    std::string error;
    ASSERT_TRUE(WriteConfigFile(target.string(), DefaultConfig(), error)) << error;
    std::error_code linkError;
    fs::create_symlink(target, path_, linkError);
    if (linkError) {
        // Windows lets only privileged users make them, and Wine not at all.
        GTEST_SKIP() << "this system makes no symbolic link here: " << linkError.message();
    }

    TConfigRecord changed = DefaultConfig();
    changed.MusicOn = 0;
    ASSERT_TRUE(WriteConfigFile(path_, changed, error)) << error;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path_)));
    EXPECT_EQ(fs::read_symlink(path_), target);
    EXPECT_FALSE(fs::exists(target.string() + ".tmp"));
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));
    TConfigRecord read;
    ASSERT_TRUE(ReadConfigFile(target.string(), read));
    EXPECT_EQ(read.MusicOn, 0);
}

TEST_F(ConfigFile, AReadOnlyFileIsNotReplaced) {
    std::string error;
    ASSERT_TRUE(WriteConfigFile(path_, DefaultConfig(), error));
    const std::string before = Bytes(path_);
    fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read);
    // As the system keeps it (Windows has a read-only flag, no mode bits).
    const fs::perms readOnly = fs::status(path_).permissions();
    TConfigRecord changed = DefaultConfig();
    changed.MusicOn = 0;
    EXPECT_FALSE(WriteConfigFile(path_, changed, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Bytes(path_), before);
    EXPECT_EQ(fs::status(path_).permissions(), readOnly);
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));
}

TEST_F(ConfigFile, ThePermissionBitsAreKept) {
    std::string error;
    ASSERT_TRUE(WriteConfigFile(path_, DefaultConfig(), error));
    for (const fs::perms mode :
         {fs::perms::owner_read | fs::perms::owner_write,
          fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
              fs::perms::group_write | fs::perms::others_read}) {
        fs::permissions(path_, mode);
        const fs::perms kept = fs::status(path_).permissions(); // all of it on POSIX
        ASSERT_TRUE(WriteConfigFile(path_, DefaultConfig(), error)) << error;
        EXPECT_EQ(fs::status(path_).permissions(), kept);
    }
}

TEST_F(ConfigFile, WriteIntoAMissingDirectoryFails) {
    std::string error;
    EXPECT_FALSE(WriteConfigFile((dir_ / "no" / "config.dat").string(), DefaultConfig(), error));
    EXPECT_FALSE(error.empty());
}

} // namespace
