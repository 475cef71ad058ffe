// The PostgreSQL backend, through libpq. Several server processes may share
// one database: a submission is one statement, so marking the token used and
// storing the score commit together, and the token's primary key lets only
// one of two concurrent uses through.
#include <libpq-fe.h>

#include <string>

#include "ScoreStore.h"

namespace {

constexpr int kSchemaVersion = 1;
// Taken while the schema is created or migrated, so processes starting
// together do not race on it.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7311025817)";

class Result {
public:
    explicit Result(PGresult* result) : result_(result) {}
    ~Result() { PQclear(result_); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    bool Is(ExecStatusType status) const { return PQresultStatus(result_) == status; }
    int Rows() const { return PQntuples(result_); }
    std::string Text(int row, int column) const { return PQgetvalue(result_, row, column); }

private:
    PGresult* result_;
};

class PostgresStore final : public ScoreStore {
public:
    explicit PostgresStore(const std::string& location)
        : connection_(PQconnectdb(location.c_str())) {
        if (PQstatus(connection_) != CONNECTION_OK) {
            const std::string reason = PQerrorMessage(connection_);
            PQfinish(connection_);
            throw StoreError("cannot connect to PostgreSQL: " + reason);
        }
        // "relation already exists, skipping" and the like are not news.
        PQsetNoticeProcessor(
            connection_, [](void*, const char*) {}, nullptr);
        try {
            Migrate();
        } catch (...) {
            PQfinish(connection_);
            throw;
        }
    }
    ~PostgresStore() override { PQfinish(connection_); }

    StoreOutcome Store(const StoredScore& score, std::string_view token, std::int64_t tokenExpires,
                       std::int64_t now) override {
        const std::string tokenText(token);
        const std::string expires = std::to_string(tokenExpires);
        const std::string points = std::to_string(score.score);
        const std::string submitted = std::to_string(now);
        const char* values[] = {tokenText.c_str(),     expires.c_str(), score.name.c_str(),
                                score.country.c_str(), points.c_str(),  submitted.c_str()};
        Result result(Execute("WITH used AS (INSERT INTO used_tokens (token, expires) "
                              "VALUES ($1, $2) ON CONFLICT DO NOTHING RETURNING 1) "
                              "INSERT INTO scores (name, country, score, submitted) "
                              "SELECT $3, $4, $5, $6 FROM used RETURNING id",
                              values, 6));
        if (!result.Is(PGRES_TUPLES_OK)) {
            return StoreOutcome::Failed;
        }
        return result.Rows() == 1 ? StoreOutcome::Stored : StoreOutcome::TokenUsed;
    }

    std::vector<StoredScore> Best(int count) override {
        const std::string limit = std::to_string(count);
        const char* values[] = {limit.c_str()};
        Result result(
            Execute("SELECT name, country, score FROM scores ORDER BY score DESC, id ASC LIMIT $1",
                    values, 1));
        if (!result.Is(PGRES_TUPLES_OK)) {
            throw StoreError(std::string("database: ") + PQerrorMessage(connection_));
        }
        std::vector<StoredScore> rows;
        for (int row = 0; row < result.Rows(); ++row) {
            rows.push_back(
                {result.Text(row, 0), result.Text(row, 1), std::stoi(result.Text(row, 2))});
        }
        return rows;
    }

    std::int64_t PurgeTokens(std::int64_t now) override {
        const std::string limit = std::to_string(now);
        const char* values[] = {limit.c_str()};
        PGresult* raw = Execute("DELETE FROM used_tokens WHERE expires < $1", values, 1);
        Result result(raw);
        if (!result.Is(PGRES_COMMAND_OK)) {
            throw StoreError(std::string("database: ") + PQerrorMessage(connection_));
        }
        return std::stoll(PQcmdTuples(raw));
    }

    std::string Secret(std::string_view candidate) override {
        const std::string value(candidate);
        const char* values[] = {value.c_str()};
        Result insert(Execute("INSERT INTO settings (name, value) VALUES ('secret', $1) "
                              "ON CONFLICT DO NOTHING",
                              values, 1));
        Result select(Execute("SELECT value FROM settings WHERE name = 'secret'", nullptr, 0));
        if (!select.Is(PGRES_TUPLES_OK) || select.Rows() != 1) {
            throw StoreError(std::string("cannot keep the secret: ") + PQerrorMessage(connection_));
        }
        return select.Text(0, 0);
    }

    bool Ping() override { return Result(Execute("SELECT 1", nullptr, 0)).Is(PGRES_TUPLES_OK); }

private:
    // Reconnects once when the connection was lost (the database restarted),
    // so one failure does not spoil the connection for good.
    PGresult* Execute(const char* sql, const char* const* values, int count) {
        if (PQstatus(connection_) != CONNECTION_OK) {
            PQreset(connection_);
        }
        return PQexecParams(connection_, sql, count, nullptr, values, nullptr, nullptr, 0);
    }

    void Command(const char* sql) {
        Result result(PQexec(connection_, sql));
        if (!result.Is(PGRES_COMMAND_OK) && !result.Is(PGRES_TUPLES_OK)) {
            throw StoreError(std::string("database: ") + PQerrorMessage(connection_));
        }
    }

    void Migrate() {
        Command("BEGIN");
        try {
            Command(kMigrationLock);
            Command("CREATE TABLE IF NOT EXISTS schema_version (version integer NOT NULL)");
            int current = 0;
            {
                Result version(PQexec(connection_, "SELECT coalesce(max(version), 0) FROM "
                                                   "schema_version"));
                if (!version.Is(PGRES_TUPLES_OK) || version.Rows() != 1) {
                    throw StoreError(std::string("database: ") + PQerrorMessage(connection_));
                }
                current = std::stoi(version.Text(0, 0));
            }
            if (current > kSchemaVersion) {
                throw StoreError("the database was written by a newer server (schema " +
                                 std::to_string(current) + ")");
            }
            if (current < 1) {
                Command("CREATE TABLE scores (id bigserial PRIMARY KEY, name text NOT NULL, "
                        "country text NOT NULL, score integer NOT NULL, submitted bigint NOT "
                        "NULL)");
                Command("CREATE INDEX scores_best ON scores (score DESC, id)");
                Command("CREATE TABLE used_tokens (token text PRIMARY KEY, expires bigint NOT "
                        "NULL)");
                Command("CREATE INDEX used_tokens_expires ON used_tokens (expires)");
                Command("CREATE TABLE settings (name text PRIMARY KEY, value text NOT NULL)");
                Command("INSERT INTO schema_version VALUES (1)");
            }
            Command("COMMIT");
        } catch (...) {
            PQclear(PQexec(connection_, "ROLLBACK"));
            throw;
        }
    }

    PGconn* connection_;
};

} // namespace

std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& location) {
    return std::make_unique<PostgresStore>(location);
}
