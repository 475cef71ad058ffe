#include "ScoreService.h"

#include <sqlite3.h>

#include <charconv>
#include <ctime>
#include <stdexcept>
#include <vector>

#include "online/ScoreCodec.h"

namespace {

// Tokens that are never used are dropped after their lifetime; this caps the
// memory a flood of version requests can take meanwhile.
constexpr std::size_t kMaxTokens = 10000;
// The longest submission the game writes is under 100 characters.
constexpr std::size_t kMaxCodeLetters = 400;
constexpr int kPageRows = 100;

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

// What the game lets a player type: blank, digits, Latin and Cyrillic letters.
bool ValidField(std::string_view text) {
    if (text.size() > 10) {
        return false;
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool ok = byte == ' ' || (byte >= '0' && byte <= '9') ||
                        (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte >= 192;
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Code page 1251 as the fields hold it: ASCII and the letters А..я (192..255).
std::string FieldToUtf8(std::string_view text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            const unsigned codePoint = 0x410 + (byte - 192);
            utf8 += static_cast<char>(0xC0 | (codePoint >> 6));
            utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
        }
    }
    return utf8;
}

std::string EscapeHtml(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string_view FieldValue(std::string_view field, std::string_view key) {
    return field.substr(key.size());
}

} // namespace

ScoreService::ScoreService(const std::string& databasePath, std::chrono::seconds tokenLifetime)
    : tokenLifetime_(tokenLifetime), random_(std::random_device{}()) {
    if (sqlite3_open(databasePath.c_str(), &database_) != SQLITE_OK) {
        const std::string reason = database_ ? sqlite3_errmsg(database_) : "out of memory";
        sqlite3_close(database_);
        throw std::runtime_error("cannot open " + databasePath + ": " + reason);
    }
    try {
        sqlite3_busy_timeout(database_, 2000);
        Execute("CREATE TABLE IF NOT EXISTS scores ("
                "id INTEGER PRIMARY KEY, name TEXT NOT NULL, country TEXT NOT NULL, "
                "score INTEGER NOT NULL, submitted INTEGER NOT NULL)");
        insert_ =
            Prepare("INSERT INTO scores (name, country, score, submitted) VALUES (?1, ?2, ?3, ?4)");
        best_ =
            Prepare("SELECT name, country, score FROM scores ORDER BY score DESC, id ASC LIMIT ?1");
    } catch (...) {
        sqlite3_finalize(insert_);
        sqlite3_close(database_);
        throw;
    }
}

ScoreService::~ScoreService() {
    sqlite3_finalize(insert_);
    sqlite3_finalize(best_);
    sqlite3_close(database_);
}

void ScoreService::Execute(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(database_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error("database: " + reason);
    }
}

sqlite3_stmt* ScoreService::Prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database_, sql, -1, &statement, nullptr) != SQLITE_OK) {
        throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(database_));
    }
    return statement;
}

std::string ScoreService::Handle(std::string_view query, bool& html) {
    html = false;
    bool version = false, submission = false, show = false, brinehold = false;
    std::string_view code;
    for (const std::string_view pair : Split(query, '&')) {
        if (pair == "version") {
            version = true;
        } else if (pair == "hs") {
            submission = true;
        } else if (pair == "show") {
            show = true;
        } else if (pair == "prg=Brinehold") {
            brinehold = true;
        } else if (pair.starts_with("inf=")) {
            code = pair.substr(4);
        }
    }
    if (!brinehold) {
        return "ERROR|unknown program";
    }
    if (version) {
        return VersionAnswer();
    }
    if (submission) {
        return Submit(code);
    }
    if (show) {
        html = true;
        return ScorePage();
    }
    return "ERROR|unknown request";
}

std::string ScoreService::VersionAnswer() {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::lock_guard lock(mutex_);
    const Clock::time_point now = Clock::now();
    std::erase_if(tokens_, [now](const auto& entry) { return entry.second <= now; });
    if (tokens_.size() >= kMaxTokens) {
        return "ERROR|busy";
    }
    std::string token;
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    for (int i = 0; i < 16; ++i) {
        token += kLetters[pick(random_)];
    }
    tokens_[token] = now + tokenLifetime_;
    return "OK|1.0|Brinehold|0|" + token + "|";
}

bool ScoreService::TakeToken(const std::string& token) {
    const auto found = tokens_.find(token);
    if (found == tokens_.end()) {
        return false;
    }
    const bool live = found->second > Clock::now();
    tokens_.erase(found); // one use only, live or not
    return live;
}

std::string ScoreService::Submit(std::string_view code) {
    if (code.empty() || code.size() > kMaxCodeLetters || code.size() % 8 != 0) {
        return "ERROR|bad encoding";
    }
    const auto binary = FromLetterCode(code);
    const auto text = binary ? FromBinaryText(*binary) : std::nullopt;
    if (!text || text->size() % 5 != 0) {
        return "ERROR|bad encoding";
    }
    const std::vector<std::string_view> fields = Split(*text, '|');
    if (fields.size() != 7 || fields[0] != "type=0" || !fields[1].starts_with("name=") ||
        !fields[2].starts_with("score=") || !fields[3].starts_with("key=") ||
        !fields[4].starts_with("p=") || !fields[5].starts_with("add=") ||
        !fields[6].starts_with("z=")) {
        return "ERROR|bad fields";
    }
    const std::string_view padding = FieldValue(fields[6], "z=");
    if (padding.size() > 4 || padding.find_first_not_of('0') != std::string_view::npos) {
        return "ERROR|bad fields";
    }
    if (FieldValue(fields[3], "key=") != std::string_view(&SubmissionKey, 1)) {
        return "ERROR|bad key";
    }
    const std::string_view scoreText = FieldValue(fields[2], "score=");
    unsigned score = 0;
    const auto [end, error] =
        std::from_chars(scoreText.data(), scoreText.data() + scoreText.size(), score);
    if (scoreText.empty() || error != std::errc() || end != scoreText.data() + scoreText.size() ||
        (scoreText.size() > 1 && scoreText[0] == '0') || score > 65535) {
        return "ERROR|bad score";
    }
    const std::string_view name = FieldValue(fields[1], "name=");
    const std::string_view country = FieldValue(fields[5], "add=");
    if (!ValidField(name)) {
        return "ERROR|bad name";
    }
    if (!ValidField(country)) {
        return "ERROR|bad country";
    }

    std::lock_guard lock(mutex_);
    if (!TakeToken(std::string(FieldValue(fields[4], "p=")))) {
        return "ERROR|bad token";
    }
    const std::string nameUtf8 = FieldToUtf8(name);
    const std::string countryUtf8 = FieldToUtf8(country);
    sqlite3_reset(insert_);
    sqlite3_bind_text(insert_, 1, nameUtf8.data(), static_cast<int>(nameUtf8.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_text(insert_, 2, countryUtf8.data(), static_cast<int>(countryUtf8.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_int(insert_, 3, static_cast<int>(score));
    sqlite3_bind_int64(insert_, 4, static_cast<sqlite3_int64>(std::time(nullptr)));
    const int result = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (result != SQLITE_DONE) {
        return "ERROR|storage failed";
    }
    return "OK";
}

std::string ScoreService::ScorePage() {
    std::string rows;
    {
        std::lock_guard lock(mutex_);
        sqlite3_reset(best_);
        sqlite3_bind_int(best_, 1, kPageRows);
        int rank = 0;
        while (sqlite3_step(best_) == SQLITE_ROW) {
            auto column = [this](int index) {
                const unsigned char* text = sqlite3_column_text(best_, index);
                return std::string(text ? reinterpret_cast<const char*>(text) : "");
            };
            rows += "<tr><td>" + std::to_string(++rank) + "</td><td>" + EscapeHtml(column(0)) +
                    "</td><td>" + EscapeHtml(column(1)) + "</td><td>" +
                    std::to_string(sqlite3_column_int(best_, 2)) + "</td></tr>\n";
        }
        sqlite3_reset(best_);
    }
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Brinehold: best "
           "scores</title></head>\n"
           "<body><h1>Brinehold: best scores</h1>\n<table>\n"
           "<tr><th>#</th><th>Name</th><th>Country</th><th>Score</th></tr>\n" +
           rows + "</table></body></html>\n";
}
