// The settings and best-score record kept in "config.dat": its 158-byte
// layout, the reversible scrambling of the stored form, the defaults, the
// score-table operations and reading and writing the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A length-prefixed text of at most ten code page 1251 characters.
struct TShortString10 {
    std::uint8_t Length = 0;
    std::array<char, 10> Chars{};

    // The text; a length above 10 reads as 10.
    std::string Text() const;
    // Stores the first ten characters of `text`; the bytes past it are zeroed.
    void Assign(std::string_view text);
    bool Append(char ch); // false when the field already holds ten characters
    void DeleteLast();    // does nothing on an empty field
};

struct TScoreEntry {
    TShortString10 Name;
    std::uint16_t Score = 0;
};

// The record in memory, always plain (unscrambled) outside a save.
struct TConfigRecord {
    std::uint8_t Windowed = 1;
    std::uint8_t MusicOn = 1;
    std::uint8_t SoundOn = 1;
    std::uint16_t BossKey = 123;
    TShortString10 Country;
    std::array<TScoreEntry, 10> ScoreTable{}; // rank 1 first
};

constexpr std::size_t ConfigRecordSize = 158;
using TConfigBytes = std::array<std::uint8_t, ConfigRecordSize>;

// The file transform: XOR 1 on the three flags, NOT on the country and name
// characters and on every score. Its own inverse.
void ScrambleConfig(TConfigRecord& record);

// The record as stored in memory and in the file (the caller scrambles first).
// Alignment bytes and characters past a text's length are written as zero.
TConfigBytes ConfigToBytes(const TConfigRecord& record);
// Length bytes above 10 are clamped to 10, so a damaged file can never make a
// text read past its ten characters.
TConfigRecord ConfigFromBytes(const TConfigBytes& bytes);

// Ten times "Anonymous" with 1000, 900, ..., 100; the other fields stay.
void ResetScoreTable(TConfigRecord& record);
// The whole default record: windowed, music and sound on, F12, no country.
TConfigRecord DefaultConfig();

// The first rank 1..10 whose score is strictly below `score`; 11 when none.
int ScoreRank(const TConfigRecord& record, std::uint16_t score);
// Puts `entry` into the table below every entry of an equal or higher score;
// the lowest of the eleven drops out.
void InsertNewScore(TConfigRecord& record, const TScoreEntry& entry);

// The display name of a boss key, or `previous` for a key without one.
std::string BossKeyNameOf(std::uint16_t key, const std::string& previous);

// Reads the first 158 bytes of `path` into `record` (unscrambled). False when
// the file is missing, unreadable or shorter than one record.
bool ReadConfigFile(const std::string& path, TConfigRecord& record);
// Writes `record` (given plain; scrambled on the way) as exactly 158 bytes.
// The bytes go to a temporary file beside `path` that is renamed over it, so a
// crash or a full disk never leaves a broken or empty settings file. Returns
// false with `error` set when the file cannot be written; `path` is then left
// as it was.
bool WriteConfigFile(const std::string& path, const TConfigRecord& record, std::string& error);
