// The end of a game that earns a table place, played headless: the name and
// the country are typed, "ДА" is answered twice and the entry reaches a
// brinehold-scored on loopback (over SQLite and over a throw-away
// PostgreSQL); against a stopped server the game shows
// "НЕ МОГУ ПОДКЛЮЧИТЬ СЕРВЕР" and asks again, the entry already in its table.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/Harness.h"
#include "online/PostgresCluster.h"
#include "online/ScoredProcess.h"

namespace {

const std::string kFetch = e2e::ProgramPath("brinehold-fetch");

// The score server stops by itself after this long at the latest.
constexpr int kServerSeconds = 120;

// A settings file whose table holds ten empty entries with score 0, so any
// score earns rank 1. Stored form: flags XOR 1, texts and scores complemented.
std::string LowTableConfig() {
    std::string bytes(158, '\0');
    bytes[0] = 0; // windowed
    bytes[1] = 0; // music on
    bytes[2] = 0; // sound on
    bytes[4] = 0x7B;
    for (int i = 7; i < 17; ++i) {
        bytes[i] = '\xFF';
    }
    for (int rank = 0; rank < 10; ++rank) {
        const int entry = 18 + 14 * rank;
        for (int i = 1; i <= 10; ++i) {
            bytes[entry + i] = '\xFF';
        }
        bytes[entry + 12] = '\xFF';
        bytes[entry + 13] = '\xFF';
    }
    return bytes;
}

const std::string kStartAndFire = "1 key down Enter\n2 key up Enter\n95 key down Space\n";

// The tick of the first fish killed by the firing diver (seed 1).
int FirstKillTick() {
    e2e::GameRun run;
    run.WriteFile("config.dat", LowTableConfig());
    run.Script(kStartAndFire);
    const e2e::RunResult result = run.Run(4000, {}, 120);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto kills = run.LogEvents("sound fishdie");
    return kills.empty() ? -1 : std::atoi(kills.front().c_str());
}

struct Ending {
    int nameEntry; // a tick of gsEnterName, before anything is typed
    int send;      // the tick whose Enter answers "ДА" on the send question
    std::string script;
};

// Ends the game right after the kill through the exit window, waits for the
// name entry, types the name and the country and answers "ДА" twice.
Ending EndGameAndSend(int kill) {
    Ending ending;
    const int quit = kill + 2;
    ending.nameEntry = quit + 4 + 94 + 5; // the game-over banner lasts 1500 ms
    const int g = ending.nameEntry + 1;
    ending.send = g + 8;
    auto at = [](int tick, const std::string& event) {
        return std::to_string(tick) + " " + event + "\n";
    };
    ending.script = kStartAndFire + at(quit, "key up Space") + at(quit + 1, "key down Escape") +
                    at(quit + 2, "key up Escape") + at(quit + 3, "key down Enter") +
                    at(quit + 4, "key up Enter") + at(g, "type Diver") +
                    at(g + 1, "key down Down") + at(g + 2, "key up Down") + at(g + 3, "type ru") +
                    at(g + 4, "key down Down") + at(g + 5, "key up Down") +
                    at(g + 6, "key down Enter") + at(g + 7, "key up Enter") +
                    at(ending.send, "key down Enter") + at(ending.send + 1, "key up Enter");
    return ending;
}

class OnlineScores : public testing::Test {
protected:
    static void SetUpTestSuite() { kill_ = FirstKillTick(); }
    void SetUp() override {
        ASSERT_GT(kill_, 0) << "the firing diver never killed a fish";
        ending_ = EndGameAndSend(kill_);
        run_.WriteFile("config.dat", LowTableConfig());
        run_.Script(ending_.script);
    }
    void ExpectEntryStoredLocally(const nlohmann::json& state) {
        EXPECT_EQ(state["config"]["Scores"][0]["Name"], "Diver");
        EXPECT_GT(state["config"]["Scores"][0]["Score"].get<int>(), 0);
        EXPECT_EQ(state["config"]["Country"], "ru");
        EXPECT_FALSE(run_.LogEvents("save ").empty());
    }

    static int kill_;
    Ending ending_;
    e2e::GameRun run_;
};

int OnlineScores::kill_ = -1;

class OnlineScoresToBackend : public OnlineScores, public testing::WithParamInterface<bool> {};

TEST_P(OnlineScoresToBackend, EntryReachesTheServer) {
    std::string database = run_.Dir() / "scores.sqlite";
    if (GetParam()) {
        scored::PostgresCluster& cluster = scored::PostgresCluster::Shared();
        if (!cluster.Running()) {
            GTEST_SKIP() << cluster.Problem();
        }
        database = cluster.NewDatabase();
        ASSERT_FALSE(database.empty());
    }
    scored::ScoredProcess server(database, kServerSeconds);
    ASSERT_GT(server.Port(), 0);
    run_.DumpAt(ending_.nameEntry);
    run_.DumpAt(ending_.send - 1);
    run_.DumpAt(ending_.send);
    const e2e::RunResult result =
        run_.Run(ending_.send + 2, {"--score-server", server.Address()}, 120);
    ASSERT_EQ(result.exitCode, 0) << result.err;

    const auto entry = run_.State(ending_.nameEntry);
    ASSERT_EQ(entry["GameState"], 8) << "no name entry after the game";
    EXPECT_EQ(entry["MenuScreen"], 8);
    EXPECT_EQ(run_.State(ending_.send - 1)["MenuScreen"], 9);

    const auto after = run_.State(ending_.send);
    EXPECT_EQ(after["GameState"], 1);
    EXPECT_EQ(after["MenuScreen"], 3) << "a sent score ends on the scores screen";
    ExpectEntryStoredLocally(after);
    const int score = after["config"]["Scores"][0]["Score"];

    const std::string prefix = "http://" + server.Address() + "/cgi/version.pl?";
    const std::string send = std::to_string(ending_.send) + " ";
    EXPECT_TRUE(run_.LogHas(send + "http get " + prefix + "version&prg=Brinehold"));
    EXPECT_EQ(run_.LogEvents("http done 200 ").size(), 2u);
    EXPECT_TRUE(run_.LogHas(send + "http done 200 2")) << "the server answered OK";

    const e2e::RunResult page =
        e2e::RunProcess({kFetch, prefix + "prg=Brinehold&show&type=0"}, run_.Dir());
    ASSERT_EQ(page.exitCode, 0) << page.err;
    EXPECT_NE(page.out.find("<td>Diver</td><td>ru</td><td>" + std::to_string(score) + "</td>"),
              std::string::npos)
        << page.out;
}

INSTANTIATE_TEST_SUITE_P(Storage, OnlineScoresToBackend, testing::Values(false, true),
                         [](const auto& test) { return test.param ? "Postgres" : "Sqlite"; });

TEST_F(OnlineScores, StoppedServerShowsTheBannerAndAsksAgain) {
    std::string address;
    {
        scored::ScoredProcess server(run_.Dir() / "scores.sqlite", kServerSeconds);
        ASSERT_GT(server.Port(), 0);
        address = server.Address();
    } // stopped: its port now refuses
    const int banner = ending_.send + 50;
    const int again = ending_.send + 100;
    run_.DumpAt(banner);
    run_.DumpAt(again);
    const e2e::RunResult result = run_.Run(again, {"--score-server", address}, 120);
    ASSERT_EQ(result.exitCode, 0) << result.err;

    const auto failed = run_.State(banner);
    EXPECT_EQ(failed["GameState"], 11);
    EXPECT_GT(failed["MessageTimer"].get<int>(), 0);
    ExpectEntryStoredLocally(failed);
    EXPECT_TRUE(run_.LogHas(std::to_string(ending_.send) +
                            " http error Socket Error # 10061\\nConnection refused."));
    EXPECT_TRUE(
        run_.LogEvents("http get " + std::string("http://") + address + "/cgi/version.pl?hs")
            .empty())
        << "no submission without the version answer";

    const auto asked = run_.State(again);
    EXPECT_EQ(asked["GameState"], 9) << "the question is asked again";
    EXPECT_EQ(asked["MenuScreen"], 9);
    ExpectEntryStoredLocally(asked);
}

} // namespace
