#include "common/Config.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "platform/FilePath.h"

std::string TShortString10::Text() const {
    return std::string(Chars.data(), std::min<std::size_t>(Length, Chars.size()));
}

void TShortString10::Assign(std::string_view text) {
    Chars.fill(0);
    Length = static_cast<std::uint8_t>(std::min(text.size(), Chars.size()));
    std::copy_n(text.data(), Length, Chars.data());
}

bool TShortString10::Append(char ch) {
    if (Length >= Chars.size()) {
        return false;
    }
    Chars[Length++] = ch;
    return true;
}

void TShortString10::DeleteLast() {
    if (Length > Chars.size()) {
        Length = static_cast<std::uint8_t>(Chars.size());
    }
    if (Length > 0) {
        --Length;
    }
}

void ScrambleConfig(TConfigRecord& record) {
    record.Windowed ^= 1;
    record.MusicOn ^= 1;
    record.SoundOn ^= 1;
    for (char& c : record.Country.Chars) {
        c = static_cast<char>(~c);
    }
    for (TScoreEntry& entry : record.ScoreTable) {
        for (char& c : entry.Name.Chars) {
            c = static_cast<char>(~c);
        }
        entry.Score = static_cast<std::uint16_t>(~entry.Score);
    }
}

namespace {

constexpr std::size_t CountryOffset = 6;
constexpr std::size_t TableOffset = 18;
constexpr std::size_t EntrySize = 14;

void PutText(TConfigBytes& bytes, std::size_t at, const TShortString10& text) {
    bytes[at] = text.Length;
    std::memcpy(&bytes[at + 1], text.Chars.data(), text.Chars.size());
}

TShortString10 GetText(const TConfigBytes& bytes, std::size_t at) {
    TShortString10 text;
    text.Length = std::min<std::uint8_t>(bytes[at], 10);
    std::memcpy(text.Chars.data(), &bytes[at + 1], text.Chars.size());
    return text;
}

void PutWord(TConfigBytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t GetWord(const TConfigBytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

} // namespace

TConfigBytes ConfigToBytes(const TConfigRecord& record) {
    TConfigBytes bytes{};
    bytes[0] = record.Windowed;
    bytes[1] = record.MusicOn;
    bytes[2] = record.SoundOn;
    PutWord(bytes, 4, record.BossKey);
    PutText(bytes, CountryOffset, record.Country);
    for (std::size_t r = 0; r < record.ScoreTable.size(); ++r) {
        const std::size_t at = TableOffset + EntrySize * r;
        PutText(bytes, at, record.ScoreTable[r].Name);
        PutWord(bytes, at + 12, record.ScoreTable[r].Score);
    }
    return bytes;
}

TConfigRecord ConfigFromBytes(const TConfigBytes& bytes) {
    TConfigRecord record;
    record.Windowed = bytes[0];
    record.MusicOn = bytes[1];
    record.SoundOn = bytes[2];
    record.BossKey = GetWord(bytes, 4);
    record.Country = GetText(bytes, CountryOffset);
    for (std::size_t r = 0; r < record.ScoreTable.size(); ++r) {
        const std::size_t at = TableOffset + EntrySize * r;
        record.ScoreTable[r].Name = GetText(bytes, at);
        record.ScoreTable[r].Score = GetWord(bytes, at + 12);
    }
    return record;
}

void ResetScoreTable(TConfigRecord& record) {
    for (std::size_t r = 0; r < record.ScoreTable.size(); ++r) {
        record.ScoreTable[r].Name.Assign("Anonymous");
        record.ScoreTable[r].Score = static_cast<std::uint16_t>((10 - r) * 100);
    }
}

TConfigRecord DefaultConfig() {
    TConfigRecord record;
    ResetScoreTable(record);
    record.Windowed = 1;
    record.MusicOn = 1;
    record.SoundOn = 1;
    record.BossKey = 123;
    record.Country.Assign("");
    return record;
}

int ScoreRank(const TConfigRecord& record, std::uint16_t score) {
    for (std::size_t r = 0; r < record.ScoreTable.size(); ++r) {
        if (record.ScoreTable[r].Score < score) {
            return static_cast<int>(r) + 1;
        }
    }
    return 11;
}

void InsertNewScore(TConfigRecord& record, const TScoreEntry& entry) {
    std::array<TScoreEntry, 11> work;
    std::copy(record.ScoreTable.begin(), record.ScoreTable.end(), work.begin());
    work[10] = entry;
    for (std::size_t k = 10; k > 0 && work[k].Score > work[k - 1].Score; --k) {
        std::swap(work[k], work[k - 1]);
    }
    std::copy_n(work.begin(), record.ScoreTable.size(), record.ScoreTable.begin());
}

std::string BossKeyNameOf(std::uint16_t key, const std::string& previous) {
    if (key == 32) {
        return "Space";
    }
    if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90)) {
        return std::string(1, static_cast<char>(key));
    }
    if (key == 91) {
        return "Window Key";
    }
    if (key >= 112 && key <= 123) {
        return "F" + std::to_string(key - 111);
    }
    return previous;
}

bool ReadConfigFile(const std::string& path, TConfigRecord& record) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    TConfigBytes bytes{};
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != bytes.size()) {
        return false;
    }
    record = ConfigFromBytes(bytes);
    ScrambleConfig(record);
    return true;
}

bool WriteConfigFile(const std::string& path, const TConfigRecord& record, std::string& error) {
    namespace fs = std::filesystem;
    TConfigRecord stored = record;
    ScrambleConfig(stored);
    const TConfigBytes bytes = ConfigToBytes(stored);

    // A link is followed: its target is the file to replace, and the temporary
    // file goes beside the target so that the rename stays atomic.
    std::error_code ec;
    fs::path target = platform::PathFromUtf8(path);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        target = fs::weakly_canonical(target, ec);
        if (ec) {
            error = path + ": " + ec.message();
            return false;
        }
    }
    // A file the player made read-only stays as it is, even for root. The
    // bits of an existing file carry over to its replacement.
    const fs::file_status status = fs::status(target, ec);
    const bool exists = !ec && fs::exists(status);
    if (exists && (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        error = platform::Utf8FromPath(target) + ": " + std::strerror(EACCES);
        return false;
    }

    const std::string temporary = platform::Utf8FromPath(target) + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool flushed = std::fflush(file) == 0;
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !flushed || !closed) {
        error = temporary + ": " + std::strerror(savedErrno != 0 ? savedErrno : errno);
        std::remove(temporary.c_str());
        return false;
    }
    if (exists) {
        fs::permissions(platform::PathFromUtf8(temporary), status.permissions(), ec);
        if (ec) {
            error = temporary + ": " + ec.message();
            std::remove(temporary.c_str());
            return false;
        }
    }
    // std::rename does not replace an existing file on Windows; this does,
    // on every system.
    fs::rename(platform::PathFromUtf8(temporary), target, ec);
    if (ec) {
        error = platform::Utf8FromPath(target) + ": " + ec.message();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
