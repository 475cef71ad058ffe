// brinehold-scored, started on a free loopback port (over SQLite and over a
// throw-away PostgreSQL) and driven through the game's own client and
// encoding, and through raw sockets where a client misbehaves.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "online/PostgresCluster.h"
#include "online/ScoredProcess.h"
#include "online/client/HttpClient.h"
#include "online/codec/ScoreCodec.h"

namespace {

std::string Get(THttpClient& client, const std::string& url) {
    std::string body;
    client.FetchUrl(url, body);
    return body;
}

std::string Encode(std::string text) {
    text.append((5 - text.size() % 5) % 5, '0');
    return ToLetterCode(ToBinaryText(text));
}

// A plain TCP connection with a receive limit, for clients the game's own
// client would never imitate.
class RawClient {
public:
    explicit RawClient(int port, int receiveSeconds = 5) {
        socket_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval limit{receiveSeconds, 0};
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        connected_ = connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { close(socket_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return connected_; }
    bool Send(const std::string& bytes) {
        return send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // Everything until the server closes or the receive limit passes.
    std::string ReceiveAll() {
        std::string received;
        char buffer[4096];
        for (;;) {
            const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
            if (got <= 0) {
                return received;
            }
            received.append(buffer, static_cast<std::size_t>(got));
        }
    }
    // One response whose head and body have arrived (enough for these tests).
    std::string ReceiveResponse() {
        std::string received;
        char buffer[4096];
        for (;;) {
            const std::size_t head = received.find("\r\n\r\n");
            if (head != std::string::npos) {
                const std::size_t length = received.find("Content-Length: ");
                if (length != std::string::npos &&
                    received.size() >= head + 4 + std::stoul(received.substr(length + 16))) {
                    return received;
                }
            }
            const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
            if (got <= 0) {
                return received;
            }
            received.append(buffer, static_cast<std::size_t>(got));
        }
    }

private:
    int socket_ = -1;
    bool connected_ = false;
};

const std::string kVersionRequest =
    "GET /cgi/version.pl?version&prg=Brinehold HTTP/1.1\r\nHost: x\r\n\r\n";

enum class Backend { Sqlite, Postgres };

class ScoredTest : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(scored::kProgram)) << scored::kProgram;
        if (GetParam() == Backend::Sqlite) {
            file_ = testing::TempDir() + "scored-" + std::to_string(getpid()) + ".sqlite";
            RemoveFile();
            database_ = file_;
        } else {
            scored::PostgresCluster& cluster = scored::PostgresCluster::Shared();
            if (!cluster.Running()) {
                GTEST_SKIP() << cluster.Problem();
            }
            database_ = cluster.NewDatabase();
            ASSERT_FALSE(database_.empty());
        }
    }
    void TearDown() override {
        client_.Disconnect(); // the server would wait for the kept connection
        server_.reset();
        RemoveFile();
    }
    void RemoveFile() {
        if (!file_.empty()) {
            for (const char* suffix : {"", "-wal", "-shm"}) {
                std::filesystem::remove(file_ + suffix);
            }
        }
    }
    // A server without request limits, unless `options` set them.
    void Start(std::vector<std::string> options = {}) {
        options.insert(options.begin(), {"--version-rate", "0", "--submit-rate", "0"});
        server_ = std::make_unique<scored::ScoredProcess>(database_, 60, options);
        ASSERT_GT(server_->Port(), 0);
    }
    std::string Token() { return EchoValue(Get(client_, server_->Url("version&prg=Brinehold"))); }
    std::string Submit(const std::string& text) {
        return Get(client_, server_->Url("hs&prg=Brinehold&inf=" + Encode(text)));
    }
    std::string Page() { return Get(client_, server_->Url("prg=Brinehold&show&type=0")); }

    std::string file_;
    std::string database_;
    std::unique_ptr<scored::ScoredProcess> server_;
    THttpClient client_;
};

TEST_P(ScoredTest, StoresASubmissionAndShowsItOnThePage) {
    Start();
    const std::string version = Get(client_, server_->Url("version&prg=Brinehold"));
    EXPECT_EQ(version.rfind("OK|", 0), 0u) << version;
    const std::string token = EchoValue(version);
    EXPECT_EQ(token.size(), 48u) << version;

    // "Ива" in code page 1251, as the game sends a typed Cyrillic name.
    EXPECT_EQ(Submit(SubmissionText("\xC8\xE2\xE0 2", 4321, token, "ru")), "OK");
    EXPECT_EQ(Submit(SubmissionText("Low", 7, Token(), "")), "OK");
    EXPECT_EQ(Submit(SubmissionText("Top", 65535, Token(), "Deep Sea")), "OK");
    EXPECT_EQ(Submit(SubmissionText("", 5, Token(), "nz")), "OK");
    EXPECT_EQ(Submit(SubmissionText("Again", 1, token, "ru")), "ERROR|bad token")
        << "a token is good once";

    const std::string page = Page();
    const std::size_t top = page.find("<td>Top</td><td>Deep Sea</td><td>65535</td>");
    const std::size_t middle =
        page.find("<td>\xD0\x98\xD0\xB2\xD0\xB0 2</td><td>ru</td><td>4321</td>");
    const std::size_t low = page.find("<td>Low</td><td></td><td>7</td>");
    const std::size_t blank = page.find("<td>Anonymous</td><td>nz</td><td>5</td>");
    EXPECT_NE(top, std::string::npos) << page;
    EXPECT_NE(middle, std::string::npos) << page;
    EXPECT_NE(low, std::string::npos) << page;
    EXPECT_NE(blank, std::string::npos) << "a blank name shows as Anonymous\n" << page;
    EXPECT_LT(top, middle);
    EXPECT_LT(middle, low);
    EXPECT_LT(low, blank);

    // The scores outlive the process, and so does the secret: a token of the
    // first process is good with the next.
    const std::string kept = Token();
    client_.Disconnect();
    Start();
    EXPECT_NE(Page().find("<td>Top</td>"), std::string::npos);
    EXPECT_EQ(Submit(SubmissionText("Later", 9, kept, "")), "OK");
}

// Two processes on one database, as behind a load balancer: either checks
// the other's tokens, and a token used at one is refused at the other.
TEST_P(ScoredTest, ProcessesSharingADatabaseShareTokens) {
    Start();
    scored::ScoredProcess second(database_, 60, {"--version-rate", "0", "--submit-rate", "0"});
    ASSERT_GT(second.Port(), 0);
    THttpClient other;
    const std::string token = Token();
    EXPECT_EQ(Get(other, second.Url("hs&prg=Brinehold&inf=" +
                                    Encode(SubmissionText("Elsewhere", 10, token, "")))),
              "OK");
    EXPECT_EQ(Submit(SubmissionText("Replay", 11, token, "")), "ERROR|bad token");
    EXPECT_NE(Page().find("<td>Elsewhere</td>"), std::string::npos);
    EXPECT_EQ(Page().find("<td>Replay</td>"), std::string::npos);
    other.Disconnect();
}

TEST_P(ScoredTest, RejectsWhatTheGameNeverSends) {
    Start();
    struct Case {
        std::string text; // before padding; TOKEN is replaced by a fresh token
        std::string answer;
    };
    const Case cases[] = {
        {"type=0|name=A|score=65536|key=B|p=TOKEN|add=|z=", "ERROR|bad score"},
        {"type=0|name=A|score=0123|key=B|p=TOKEN|add=|z=", "ERROR|bad score"},
        {"type=0|name=A|score=|key=B|p=TOKEN|add=|z=", "ERROR|bad score"},
        {"type=0|name=ElevenChars|score=5|key=B|p=TOKEN|add=|z=", "ERROR|bad name"},
        {"type=0|name=<b>x</b>|score=5|key=B|p=TOKEN|add=|z=", "ERROR|bad name"},
        {"type=0|name=A|score=5|key=B|p=TOKEN|add=ElevenChars|z=", "ERROR|bad country"},
        {"type=0|name=A|score=5|key=C|p=TOKEN|add=|z=", "ERROR|bad key"},
        {"type=0|name=A|score=5|key=B|p=unknown|add=|z=", "ERROR|bad token"},
        {"type=0|name=A|score=5|key=B|p=0000000000000000000000000000000000000000000000000|add=|z=",
         "ERROR|bad token"},
        {"type=1|name=A|score=5|key=B|p=TOKEN|add=|z=", "ERROR|bad fields"},
        {"type=0|name=A|score=5|key=B|p=TOKEN|add=|extra=1|z=", "ERROR|bad fields"},
        {"type=0|name=A|score=5|key=B|p=TOKEN|add=|z=11111", "ERROR|bad fields"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        if (const std::size_t at = text.find("TOKEN"); at != std::string::npos) {
            text.replace(at, 5, Token());
        }
        EXPECT_EQ(Submit(text), c.answer);
    }
    const std::string badCodes[] = {"", "AAAAAAA", "IIIIIIII", std::string(800, 'A')};
    for (const std::string& code : badCodes) {
        SCOPED_TRACE(code);
        EXPECT_EQ(Get(client_, server_->Url("hs&prg=Brinehold&inf=" + code)), "ERROR|bad encoding");
    }
    EXPECT_EQ(Get(client_, server_->Url("version&prg=Other")), "ERROR|unknown program");
    EXPECT_EQ(Page().find("<td>A</td>"), std::string::npos) << "nothing rejected was stored";
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoredTest, testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& test) {
                             return test.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

// The server's HTTP side does not depend on the backend; SQLite suffices.
class ScoredHttpTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(scored::kProgram)) << scored::kProgram;
        dir_ = testing::TempDir() + "scored-http-" + std::to_string(getpid());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() { std::filesystem::remove_all(dir_); }
    std::unique_ptr<scored::ScoredProcess> Start(std::vector<std::string> options) {
        auto server = std::make_unique<scored::ScoredProcess>(dir_ + "/scores.sqlite", 60, options);
        EXPECT_GT(server->Port(), 0);
        return server;
    }
    std::string dir_;
};

TEST_F(ScoredHttpTest, LimitsEachAddressWithTheProtocolsErrorLine) {
    auto server = Start({"--version-rate", "1", "--version-burst", "3"});
    THttpClient client;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Get(client, server->Url("version&prg=Brinehold")).rfind("OK|", 0), 0u);
    }
    try {
        Get(client, server->Url("version&prg=Brinehold"));
        FAIL() << "a fourth request at once was answered";
    } catch (const EHttpProtocolError& error) {
        EXPECT_EQ(error.ErrorCode(), 429);
        EXPECT_EQ(error.ErrorBody(), "ERROR|too many requests");
    }
    client.Disconnect();
}

TEST_F(ScoredHttpTest, LogsEveryRequestAndAnswersHealthChecks) {
    const std::string log = dir_ + "/access.log";
    auto server = Start({"--access-log", log});
    THttpClient client;
    EXPECT_EQ(Get(client, "http://" + server->Address() + "/healthz"), "ok\n");
    EXPECT_EQ(Get(client, server->Url("version&prg=Brinehold")).rfind("OK|", 0), 0u);
    EXPECT_THROW(Get(client, "http://" + server->Address() + "/other"), EHttpProtocolError);
    client.Disconnect();
    EXPECT_EQ(WEXITSTATUS(server->Stop()), 0);

    std::ifstream file(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(" 127.0.0.1 \"GET /healthz\" 200 3 "), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("\"GET /cgi/version.pl?version&prg=Brinehold\" 200 "),
              std::string::npos)
        << lines[1];
    EXPECT_NE(lines[2].find("\"GET /other\" 404 "), std::string::npos) << lines[2];
}

TEST_F(ScoredHttpTest, RefusesWhatIsTooLarge) {
    auto server = Start({});
    RawClient longTarget(server->Port());
    longTarget.Send("GET /cgi/version.pl?" + std::string(9000, 'a') +
                    " HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_NE(longTarget.ReceiveResponse().find(" 414 "), std::string::npos);
    RawClient body(server->Port());
    body.Send("GET /cgi/version.pl?version&prg=Brinehold HTTP/1.1\r\nHost: x\r\n"
              "Content-Length: 5000\r\n\r\n");
    EXPECT_NE(body.ReceiveResponse().find(" 413 "), std::string::npos);
    RawClient post(server->Port());
    post.Send("POST /cgi/version.pl?version&prg=Brinehold HTTP/1.1\r\nHost: x\r\n"
              "Content-Length: 0\r\n\r\n");
    EXPECT_NE(post.ReceiveResponse().find(" 405 "), std::string::npos);
}

// A page of a configured origin may call the server (a preflight first when
// it sends headers of its own), others get no CORS header; --web serves the
// site's files and nothing outside its folder.
TEST_F(ScoredHttpTest, AnswersConfiguredOriginsAndServesTheSite) {
    const std::string site = dir_ + "/site";
    std::filesystem::create_directories(site + "/sub");
    std::ofstream(site + "/index.html") << "<p>page</p>";
    std::ofstream(site + "/brinehold.wasm") << "wasm-bytes";
    std::ofstream(dir_ + "/secret.txt") << "secret-bytes";
    auto server = Start({"--cors-origin", "http://game.example:8000", "--web", site});
    const std::string version = "/cgi/version.pl?version&prg=Brinehold";
    const struct {
        const char* what;
        std::string request;
        const char* status;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    } cases[] = {
        {"allowed origin",
         "GET " + version + " HTTP/1.1\r\nOrigin: http://game.example:8000\r\n",
         " 200 ",
         {"Access-Control-Allow-Origin: http://game.example:8000", "OK|"},
         {}},
        {"other origin",
         "GET " + version + " HTTP/1.1\r\nOrigin: http://other.example\r\n",
         " 200 ",
         {"OK|"},
         {"Access-Control-Allow-Origin"}},
        {"preflight",
         "OPTIONS " + version +
             " HTTP/1.1\r\nOrigin: http://game.example:8000\r\n"
             "Access-Control-Request-Method: GET\r\nAccess-Control-Request-Headers: x-thing\r\n",
         " 204 ",
         {"Access-Control-Allow-Methods: GET, HEAD", "Access-Control-Allow-Headers: x-thing"},
         {}},
        {"the page for /",
         "GET / HTTP/1.1\r\n",
         " 200 ",
         {"text/html; charset=utf-8", "<p>page</p>"},
         {}},
        {"the program",
         "GET /brinehold.wasm HTTP/1.1\r\n",
         " 200 ",
         {"application/wasm", "wasm-bytes"},
         {}},
        {"a folder", "GET /sub HTTP/1.1\r\n", " 404 ", {}, {}},
        {"outside the folder", "GET /../secret.txt HTTP/1.1\r\n", " 404 ", {}, {"secret-bytes"}},
        {"encoded parent", "GET /%2e%2e/secret.txt HTTP/1.1\r\n", " 404 ", {}, {}},
        {"missing file", "GET /nothing.js HTTP/1.1\r\n", " 404 ", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient client(server->Port());
        ASSERT_TRUE(client.Send(c.request + "Host: x\r\nConnection: close\r\n\r\n"));
        const std::string answer = client.ReceiveAll();
        EXPECT_NE(answer.find(c.status), std::string::npos) << answer;
        for (const std::string& text : c.present) {
            EXPECT_NE(answer.find(text), std::string::npos) << text << " in\n" << answer;
        }
        for (const std::string& text : c.absent) {
            EXPECT_EQ(answer.find(text), std::string::npos) << answer;
        }
    }
}

// Clients that send a request slower than anyone types hold a socket each,
// never a thread: a real request is answered meanwhile.
TEST_F(ScoredHttpTest, HalfSentRequestsDoNotHoldUpOthers) {
    auto server = Start({"--threads", "2", "--connections-per-address", "0"});
    std::vector<std::unique_ptr<RawClient>> slow;
    for (int i = 0; i < 64; ++i) {
        slow.push_back(std::make_unique<RawClient>(server->Port()));
        ASSERT_TRUE(slow.back()->Connected());
        slow.back()->Send("GET /cgi/version.pl?version&prg=Brine");
    }
    RawClient real(server->Port(), 3);
    real.Send(kVersionRequest);
    EXPECT_NE(real.ReceiveResponse().find("OK|1.0|Brinehold|0|"), std::string::npos);
}

TEST_F(ScoredHttpTest, LimitsTheConnectionsOfOneAddress) {
    auto server = Start({"--connections-per-address", "4"});
    std::vector<std::unique_ptr<RawClient>> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(std::make_unique<RawClient>(server->Port()));
        held.back()->Send("GET /");
    }
    RawClient fifth(server->Port(), 3);
    fifth.Send(kVersionRequest);
    EXPECT_EQ(fifth.ReceiveAll(), "") << "closed without an answer";
    held.clear();
    // The server notices the closed sockets on its own time: ask again for a while.
    std::string answer;
    for (int attempt = 0; attempt < 60 && answer.find("OK|") == std::string::npos; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        RawClient later(server->Port(), 3);
        later.Send(kVersionRequest);
        answer = later.ReceiveResponse();
    }
    EXPECT_NE(answer.find("OK|"), std::string::npos);
}

// SIGTERM while a request is half received: it is still answered, with the
// connection closed after it, and the server then exits cleanly.
TEST_F(ScoredHttpTest, StopsGracefullyAnsweringWhatIsInFlight) {
    auto server = Start({});
    RawClient client(server->Port());
    client.Send("GET /cgi/version.pl?version&prg=Brinehold HTTP/1.1\r\nHost: x\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(server->Pid(), SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    client.Send("\r\n");
    const std::string answer = client.ReceiveAll();
    EXPECT_NE(answer.find("HTTP/1.1 200"), std::string::npos) << answer;
    EXPECT_NE(answer.find("Connection: close"), std::string::npos) << answer;
    EXPECT_NE(answer.find("OK|1.0|Brinehold"), std::string::npos) << answer;
    const int status = server->Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// With a configured secret, servers on separate databases accept each
// other's tokens; a secret too short to protect anything is refused.
TEST_F(ScoredHttpTest, TakesTheSecretFromAFile) {
    std::ofstream(dir_ + "/secret") << "a secret shared by every server\n";
    auto first = Start({"--secret-file", dir_ + "/secret"});
    scored::ScoredProcess second(dir_ + "/other.sqlite", 60, {"--secret-file", dir_ + "/secret"});
    ASSERT_GT(second.Port(), 0);
    THttpClient client;
    const std::string token = EchoValue(Get(client, first->Url("version&prg=Brinehold")));
    client.Disconnect();
    std::string text = SubmissionText("Shared", 3, token, "");
    EXPECT_EQ(Get(client, second.Url("hs&prg=Brinehold&inf=" + Encode(text))), "OK");
    client.Disconnect();

    std::ofstream(dir_ + "/short") << "short\n";
    const std::string command = scored::kProgram + " --db " + dir_ + "/x.sqlite --secret-file " +
                                dir_ + "/short 2>/dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
}

TEST_F(ScoredHttpTest, ReadsOptionsFromAConfigFileAndExplainsBadOnes) {
    std::ofstream(dir_ + "/scored.conf") << "# sample\nversion-rate = 1\nversion-burst = 1\n";
    auto server = Start({"--config", dir_ + "/scored.conf"});
    THttpClient client;
    EXPECT_EQ(Get(client, server->Url("version&prg=Brinehold")).rfind("OK|", 0), 0u);
    EXPECT_THROW(Get(client, server->Url("version&prg=Brinehold")), EHttpProtocolError);
    client.Disconnect();

    std::ofstream(dir_ + "/bad.conf") << "threads = many\n";
    const std::string command =
        scored::kProgram + " --config " + dir_ + "/bad.conf 2>" + dir_ + "/err.txt";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2);
    std::stringstream error;
    error << std::ifstream(dir_ + "/err.txt").rdbuf();
    EXPECT_NE(error.str().find("bad.conf:1: bad --threads many"), std::string::npos) << error.str();
}

} // namespace
