// Where the score server keeps its data: the scores, the tokens already used
// and the server's own settings. One small interface, two backends: SQLite
// (a file, the default) and PostgreSQL (a "postgresql://..." location, which
// several server processes may share).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct StoredScore {
    std::string name;    // UTF-8, as sent (may be blank)
    std::string country; // UTF-8, as sent
    int score = 0;
};

enum class StoreOutcome { Stored, TokenUsed, Failed };

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One connection to the database. Not thread-safe: a thread borrows one from
// a StorePool for the length of a request.
class ScoreStore {
public:
    virtual ~ScoreStore() = default;

    // Marks `token` used (kept until `tokenExpires`, Unix seconds) and stores
    // the score, both or neither. TokenUsed when the token was used before;
    // Failed when the database could not be written (nothing was stored).
    virtual StoreOutcome Store(const StoredScore& score, std::string_view token,
                               std::int64_t tokenExpires, std::int64_t now) = 0;
    // The best `count` scores, highest first, earlier first among equals.
    // Throws StoreError when the database cannot be read.
    virtual std::vector<StoredScore> Best(int count) = 0;
    // Forgets used tokens that expired before `now`; they are refused by
    // their time anyway. Returns how many went; throws StoreError.
    virtual std::int64_t PurgeTokens(std::int64_t now) = 0;
    // The server secret kept in the database; `candidate` becomes it when
    // there is none yet, so every process sharing the database agrees.
    virtual std::string Secret(std::string_view candidate) = 0;
    // Whether the database answers.
    virtual bool Ping() = 0;
};

// Opens `location`: "postgresql://..." or "postgres://..." for PostgreSQL,
// anything else is a SQLite file. Creates or migrates the schema. Throws
// StoreError with the reason when it cannot.
std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& location);

bool IsPostgresLocation(std::string_view location);

// The two backends OpenScoreStore chooses between.
std::unique_ptr<ScoreStore> OpenSqliteStore(const std::string& path);
std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& location);

// Connections handed out to the server's threads; each opened on first need.
class StorePool {
public:
    explicit StorePool(std::string location) : location_(std::move(location)) {}

    class Lease {
    public:
        Lease(StorePool& pool, std::unique_ptr<ScoreStore> store)
            : pool_(pool), store_(std::move(store)) {}
        ~Lease() { pool_.Return(std::move(store_)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ScoreStore* operator->() const { return store_.get(); }
        ScoreStore& operator*() const { return *store_; }

    private:
        StorePool& pool_;
        std::unique_ptr<ScoreStore> store_;
    };

    // Throws StoreError when a new connection cannot be opened.
    Lease Borrow();

private:
    void Return(std::unique_ptr<ScoreStore> store);

    std::string location_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<ScoreStore>> idle_;
};
