// The score server's rules, apart from HTTP: one-time tokens handed out by
// the version request, decoding and checking a submission, storing it in
// SQLite, and the public page of the best scores.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

class ScoreService {
public:
    using Clock = std::chrono::steady_clock;

    // Opens (or creates) the database; throws std::runtime_error with the
    // reason when it cannot.
    ScoreService(const std::string& databasePath, std::chrono::seconds tokenLifetime);
    ~ScoreService();
    ScoreService(const ScoreService&) = delete;
    ScoreService& operator=(const ScoreService&) = delete;

    // The answer to a request whose raw query (after the "?") is `query`;
    // sets `html` when the answer is the public page.
    std::string Handle(std::string_view query, bool& html);

    // "OK|1.0|Brinehold|0|TOKEN|": the fifth field is the echo value.
    std::string VersionAnswer();
    // "OK" when the encoded submission was valid and is stored, otherwise
    // "ERROR|" and the reason.
    std::string Submit(std::string_view code);
    std::string ScorePage();

private:
    void Execute(const char* sql);
    sqlite3_stmt* Prepare(const char* sql);
    bool TakeToken(const std::string& token);

    std::mutex mutex_;
    sqlite3* database_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* best_ = nullptr;
    std::chrono::seconds tokenLifetime_;
    std::map<std::string, Clock::time_point> tokens_; // token -> expiry
    std::mt19937_64 random_;
};
