// The SQLite backend: one file in WAL mode, so the page can be read while a
// submission is written. Every commit is synced before the server answers OK.
#include <sqlite3.h>

#include <mutex>

#include "ScoreStore.h"

namespace {

// SQLite lets one writer in at a time; threads of one process queue here
// rather than in SQLite's busy handler, which polls with sleeps.
std::mutex writerMutex;

// user_version 0 is what the first server left: a scores table, or nothing.
constexpr int kSchemaVersion = 1;

class SqliteStore final : public ScoreStore {
public:
    explicit SqliteStore(const std::string& path) {
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(path.c_str(), &database_, flags, nullptr) != SQLITE_OK) {
            const std::string reason = database_ ? sqlite3_errmsg(database_) : "out of memory";
            sqlite3_close(database_);
            throw StoreError("cannot open " + path + ": " + reason);
        }
        try {
            // Writers from other connections wait their turn instead of failing.
            sqlite3_busy_timeout(database_, 5000);
            Execute("PRAGMA journal_mode=WAL");
            Execute("PRAGMA synchronous=FULL");
            Migrate();
        } catch (...) {
            sqlite3_close(database_);
            throw;
        }
    }
    ~SqliteStore() override {
        for (sqlite3_stmt* statement : {insertToken_, insertScore_, best_}) {
            sqlite3_finalize(statement);
        }
        sqlite3_close(database_);
    }

    StoreOutcome Store(const StoredScore& score, std::string_view token, std::int64_t tokenExpires,
                       std::int64_t now) override {
        std::lock_guard writer(writerMutex);
        if (sqlite3_exec(database_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            return StoreOutcome::Failed;
        }
        sqlite3_stmt* insertToken =
            Statement(insertToken_, "INSERT INTO used_tokens (token, expires) VALUES (?1, ?2) "
                                    "ON CONFLICT DO NOTHING");
        sqlite3_stmt* insertScore =
            Statement(insertScore_, "INSERT INTO scores (name, country, score, submitted) "
                                    "VALUES (?1, ?2, ?3, ?4)");
        StoreOutcome outcome = StoreOutcome::Failed;
        if (insertToken && insertScore) {
            BindText(insertToken, 1, token);
            sqlite3_bind_int64(insertToken, 2, tokenExpires);
            if (sqlite3_step(insertToken) == SQLITE_DONE) {
                if (sqlite3_changes(database_) == 0) {
                    outcome = StoreOutcome::TokenUsed;
                } else {
                    BindText(insertScore, 1, score.name);
                    BindText(insertScore, 2, score.country);
                    sqlite3_bind_int(insertScore, 3, score.score);
                    sqlite3_bind_int64(insertScore, 4, now);
                    if (sqlite3_step(insertScore) == SQLITE_DONE) {
                        outcome = StoreOutcome::Stored;
                    }
                }
            }
            sqlite3_reset(insertToken);
            sqlite3_reset(insertScore);
        }
        if (outcome == StoreOutcome::Stored &&
            sqlite3_exec(database_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
            return outcome;
        }
        sqlite3_exec(database_, "ROLLBACK", nullptr, nullptr, nullptr);
        return outcome == StoreOutcome::TokenUsed ? outcome : StoreOutcome::Failed;
    }

    std::vector<StoredScore> Best(int count) override {
        sqlite3_stmt* best = Statement(
            best_, "SELECT name, country, score FROM scores ORDER BY score DESC, id ASC LIMIT ?1");
        if (best == nullptr) {
            throw StoreError(std::string("database: ") + sqlite3_errmsg(database_));
        }
        sqlite3_bind_int(best, 1, count);
        std::vector<StoredScore> rows;
        int result = SQLITE_ROW;
        while ((result = sqlite3_step(best)) == SQLITE_ROW) {
            rows.push_back({Column(best, 0), Column(best, 1), sqlite3_column_int(best, 2)});
        }
        sqlite3_reset(best);
        if (result != SQLITE_DONE) {
            throw StoreError(std::string("database: ") + sqlite3_errmsg(database_));
        }
        return rows;
    }

    std::int64_t PurgeTokens(std::int64_t now) override {
        sqlite3_stmt* purge = nullptr;
        if (sqlite3_prepare_v2(database_, "DELETE FROM used_tokens WHERE expires < ?1", -1, &purge,
                               nullptr) != SQLITE_OK) {
            throw StoreError(std::string("database: ") + sqlite3_errmsg(database_));
        }
        sqlite3_bind_int64(purge, 1, now);
        const int result = sqlite3_step(purge);
        sqlite3_finalize(purge);
        if (result != SQLITE_DONE) {
            throw StoreError(std::string("database: ") + sqlite3_errmsg(database_));
        }
        return sqlite3_changes(database_);
    }

    std::string Secret(std::string_view candidate) override {
        sqlite3_stmt* insert = nullptr;
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(database_,
                           "INSERT INTO settings (name, value) VALUES ('secret', ?1) "
                           "ON CONFLICT DO NOTHING",
                           -1, &insert, nullptr);
        sqlite3_prepare_v2(database_, "SELECT value FROM settings WHERE name = 'secret'", -1,
                           &select, nullptr);
        std::string secret;
        if (insert && select) {
            BindText(insert, 1, candidate);
            if (sqlite3_step(insert) == SQLITE_DONE && sqlite3_step(select) == SQLITE_ROW) {
                secret = Column(select, 0);
            }
        }
        sqlite3_finalize(insert);
        sqlite3_finalize(select);
        if (secret.empty()) {
            throw StoreError(std::string("cannot keep the secret: ") + sqlite3_errmsg(database_));
        }
        return secret;
    }

    bool Ping() override {
        return sqlite3_exec(database_, "SELECT count(*) FROM settings", nullptr, nullptr,
                            nullptr) == SQLITE_OK;
    }

private:
    void Execute(const char* sql) {
        char* message = nullptr;
        if (sqlite3_exec(database_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string reason = message ? message : sqlite3_errmsg(database_);
            sqlite3_free(message);
            throw StoreError("database: " + reason);
        }
    }

    // One transaction, so two servers starting on a new file do not both build it.
    void Migrate() {
        Execute("BEGIN IMMEDIATE");
        try {
            sqlite3_stmt* version = nullptr;
            int current = 0;
            if (sqlite3_prepare_v2(database_, "PRAGMA user_version", -1, &version, nullptr) ==
                    SQLITE_OK &&
                sqlite3_step(version) == SQLITE_ROW) {
                current = sqlite3_column_int(version, 0);
            }
            sqlite3_finalize(version);
            if (current > kSchemaVersion) {
                throw StoreError("the database was written by a newer server (schema " +
                                 std::to_string(current) + ")");
            }
            if (current < 1) {
                Execute("CREATE TABLE IF NOT EXISTS scores ("
                        "id INTEGER PRIMARY KEY, name TEXT NOT NULL, country TEXT NOT NULL, "
                        "score INTEGER NOT NULL, submitted INTEGER NOT NULL)");
                Execute("CREATE INDEX IF NOT EXISTS scores_best ON scores (score DESC, id)");
                Execute("CREATE TABLE IF NOT EXISTS used_tokens ("
                        "token TEXT PRIMARY KEY, expires INTEGER NOT NULL) WITHOUT ROWID");
                Execute("CREATE INDEX IF NOT EXISTS used_tokens_expires ON used_tokens (expires)");
                Execute("CREATE TABLE IF NOT EXISTS settings ("
                        "name TEXT PRIMARY KEY, value TEXT NOT NULL)");
                Execute("PRAGMA user_version = 1");
            }
            Execute("COMMIT");
        } catch (...) {
            sqlite3_exec(database_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

    sqlite3_stmt* Statement(sqlite3_stmt*& cached, const char* sql) {
        if (cached == nullptr) {
            sqlite3_prepare_v2(database_, sql, -1, &cached, nullptr);
        }
        return cached;
    }

    static void BindText(sqlite3_stmt* statement, int index, std::string_view text) {
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }

    static std::string Column(sqlite3_stmt* statement, int index) {
        const unsigned char* text = sqlite3_column_text(statement, index);
        return text ? reinterpret_cast<const char*>(text) : "";
    }

    sqlite3* database_ = nullptr;
    sqlite3_stmt* insertToken_ = nullptr;
    sqlite3_stmt* insertScore_ = nullptr;
    sqlite3_stmt* best_ = nullptr;
};

} // namespace

std::unique_ptr<ScoreStore> OpenSqliteStore(const std::string& path) {
    return std::make_unique<SqliteStore>(path);
}
