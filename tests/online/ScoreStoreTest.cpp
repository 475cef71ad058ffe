// The score server's storage, the same cases over SQLite and a throw-away
// PostgreSQL cluster.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "ScoreStore.h"
#include "online/PostgresCluster.h"

namespace {

enum class Backend { Sqlite, Postgres };

class ScoreStoreTest : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (GetParam() == Backend::Sqlite) {
            file_ = testing::TempDir() + "store-" + std::to_string(getpid()) + ".sqlite";
            std::filesystem::remove(file_);
            location_ = file_;
        } else {
            scored::PostgresCluster& cluster = scored::PostgresCluster::Shared();
            if (!cluster.Running()) {
                GTEST_SKIP() << cluster.Problem();
            }
            location_ = cluster.NewDatabase();
            ASSERT_FALSE(location_.empty());
        }
    }
    void TearDown() override {
        if (!file_.empty()) {
            for (const char* suffix : {"", "-wal", "-shm"}) {
                std::filesystem::remove(file_ + suffix);
            }
        }
    }

    std::string file_;
    std::string location_;
};

TEST_P(ScoreStoreTest, StoresScoresAndRefusesASecondUseOfAToken) {
    auto store = OpenScoreStore(location_);
    EXPECT_EQ(store->Store({"Low", "", 7}, "t1", 2000, 1000), StoreOutcome::Stored);
    EXPECT_EQ(store->Store({"Top", "Deep Sea", 65535}, "t2", 2000, 1000), StoreOutcome::Stored);
    EXPECT_EQ(store->Store({"\xD0\x98\xD0\xB2\xD0\xB0", "ru", 4321}, "t3", 2000, 1000),
              StoreOutcome::Stored);
    EXPECT_EQ(store->Store({"Also", "", 7}, "t4", 2000, 1000), StoreOutcome::Stored);
    EXPECT_EQ(store->Store({"Again", "", 9999}, "t2", 2000, 1001), StoreOutcome::TokenUsed);
    EXPECT_EQ(store->Store({"   ", "", 1}, "t5", 2000, 1000), StoreOutcome::Stored);

    const auto best = store->Best(10);
    ASSERT_EQ(best.size(), 5u) << "the refused submission stored nothing";
    EXPECT_EQ(best[0].name, "Top");
    EXPECT_EQ(best[0].country, "Deep Sea");
    EXPECT_EQ(best[1].name, "\xD0\x98\xD0\xB2\xD0\xB0");
    EXPECT_EQ(best[2].name, "Low") << "earlier first among equal scores";
    EXPECT_EQ(best[3].name, "Also");
    EXPECT_EQ(best[4].name, "   ") << "a blank name is kept as sent";
    EXPECT_EQ(store->Best(2).size(), 2u);

    // Another connection, as another server process would have, sees it all.
    auto other = OpenScoreStore(location_);
    EXPECT_EQ(other->Store({"Other", "", 5}, "t1", 2000, 1000), StoreOutcome::TokenUsed);
    EXPECT_EQ(other->Best(10).size(), 5u);
    EXPECT_TRUE(other->Ping());
}

TEST_P(ScoreStoreTest, PurgesOnlyExpiredTokens) {
    auto store = OpenScoreStore(location_);
    ASSERT_EQ(store->Store({"A", "", 1}, "old", 100, 50), StoreOutcome::Stored);
    ASSERT_EQ(store->Store({"B", "", 2}, "new", 300, 50), StoreOutcome::Stored);
    EXPECT_EQ(store->PurgeTokens(200), 1);
    EXPECT_EQ(store->PurgeTokens(200), 0);
    EXPECT_EQ(store->Store({"C", "", 3}, "new", 300, 60), StoreOutcome::TokenUsed)
        << "a live token stays used";
    EXPECT_EQ(store->Best(10).size(), 2u) << "purging tokens keeps the scores";
}

TEST_P(ScoreStoreTest, KeepsTheFirstSecretAndReopensTheSchema) {
    const std::string first = OpenScoreStore(location_)->Secret("first-secret-value");
    EXPECT_EQ(first, "first-secret-value");
    auto again = OpenScoreStore(location_); // the schema is already there
    EXPECT_EQ(again->Secret("second-secret-value"), "first-secret-value");
}

// Many connections racing for the same tokens, as processes behind a load
// balancer would: each token is taken exactly once.
TEST_P(ScoreStoreTest, ConcurrentUsesOfOneTokenStoreOnce) {
    OpenScoreStore(location_); // the schema first, so the racers only submit
    constexpr int kThreads = 4;
    constexpr int kTokens = 40;
    std::atomic<int> stored{0}, used{0}, failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            auto store = OpenScoreStore(location_);
            for (int i = 0; i < kTokens; ++i) {
                switch (store->Store({"T" + std::to_string(t), "", i}, "k" + std::to_string(i),
                                     5000, 1000)) {
                case StoreOutcome::Stored:
                    ++stored;
                    break;
                case StoreOutcome::TokenUsed:
                    ++used;
                    break;
                case StoreOutcome::Failed:
                    ++failed;
                    break;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(stored, kTokens);
    EXPECT_EQ(used, kTokens * (kThreads - 1));
    EXPECT_EQ(OpenScoreStore(location_)->Best(1000).size(), static_cast<std::size_t>(kTokens));
}

TEST_P(ScoreStoreTest, ABadLocationIsAClearError) {
    const std::string bad = GetParam() == Backend::Sqlite
                                ? "/nonexistent-folder/scores.sqlite"
                                : "postgresql://brinehold@127.0.0.1:1/none?connect_timeout=2";
    try {
        OpenScoreStore(bad);
        FAIL() << "opened " << bad;
    } catch (const StoreError& error) {
        EXPECT_NE(std::string(error.what())
                      .find(GetParam() == Backend::Sqlite ? "cannot open" : "cannot connect"),
                  std::string::npos)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoreStoreTest,
                         testing::Values(Backend::Sqlite, Backend::Postgres), [](const auto& test) {
                             return test.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

// A file left by the first server (its scores table, no version) is taken over.
TEST(SqliteStoreMigration, KeepsTheScoresOfAnOlderFile) {
    const std::string file =
        testing::TempDir() + "store-old-" + std::to_string(getpid()) + ".sqlite";
    std::filesystem::remove(file);
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &database), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(database,
                           "CREATE TABLE scores (id INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                           "country TEXT NOT NULL, score INTEGER NOT NULL, submitted INTEGER NOT "
                           "NULL); INSERT INTO scores VALUES (1, 'Old', 'ru', 123, 0);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(database);

    auto store = OpenScoreStore(file);
    EXPECT_EQ(store->Store({"New", "", 5}, "t", 2000, 1000), StoreOutcome::Stored);
    const auto best = store->Best(10);
    ASSERT_EQ(best.size(), 2u);
    EXPECT_EQ(best[0].name, "Old");
    store.reset();
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(file + suffix);
    }
}

} // namespace
