#include "online/client/HttpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <thread>

#include "online/RawServer.h"
#include "platform/Log.h"
#include "platform/Socket.h"

namespace {

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK";

// Short limits keep the waiting cases quick.
void UseShortLimits(THttpClient& client) {
    client.GetLimits().readMs = 400;
    client.GetLimits().errorBodyMs = 300;
    client.GetLimits().connectMs = 400;
}

struct Outcome {
    std::string body;
    std::string error; // empty on success
    int code = 0;
};

Outcome Fetch(THttpClient& client, const std::string& url, std::string body = "before") {
    Outcome outcome;
    try {
        client.FetchUrl(url, body);
    } catch (const EHttpError& error) {
        outcome.error = error.what();
        if (const auto* protocol = dynamic_cast<const EHttpProtocolError*>(&error)) {
            outcome.code = protocol->ErrorCode();
        }
    }
    outcome.body = body;
    if (outcome.error.empty()) {
        outcome.code = client.ResponseCode();
    }
    return outcome;
}

struct ResponseCase {
    const char* name;
    std::string reply;
    bool close;
    std::string body;  // the caller's value afterwards (starts as "before")
    std::string error; // expected message, empty for success
    int code;
};

void PrintTo(const ResponseCase& c, std::ostream* out) {
    *out << c.name;
}

class ResponseTest : public testing::TestWithParam<ResponseCase> {};

TEST_P(ResponseTest, AnswersAsTheServerSays) {
    const ResponseCase& c = GetParam();
    RawServer server({{c.reply, c.close}});
    THttpClient client;
    UseShortLimits(client);
    const Outcome outcome = Fetch(client, server.Url("/cgi/version.pl?version"));
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(outcome.body, c.body);
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_EQ(server.Requests().size(), 1u) << "redirects and retries are never followed";
}

const std::string kLongLine(20000, 'x');
const std::string kMiB(1 << 20, 'm');

INSTANTIATE_TEST_SUITE_P(
    Client, ResponseTest,
    testing::Values(
        ResponseCase{"ContentLength", kOk, false, "OK", "", 200},
        ResponseCase{"ContentLengthCutShort", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nOK",
                     true, "OK", "", 200},
        ResponseCase{"Chunked",
                     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nOK\r\n0\r\n\r\n",
                     false, "OK", "", 200},
        ResponseCase{"ChunkedPieces",
                     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3 "
                     "\r\nOK|\r\nA;x=1\r\n0123456789\r\n0\r\n\r\n",
                     false, "OK|0123456789", "", 200},
        ResponseCase{"ChunkSizeNotANumberEndsBody",
                     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nOK\r\nzz\r\n\r\n",
                     false, "OK", "", 200},
        ResponseCase{"UntilClose",
                     "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\nOK|1|2|3|4|5|", true,
                     "OK|1|2|3|4|5|", "", 200},
        ResponseCase{"BareLineFeeds", "HTTP/1.1 200 OK\nContent-Length: 2\n\nOK", false, "OK", "",
                     200},
        ResponseCase{"EmptyBodyKeepsValue", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", false,
                     "before", "", 200},
        ResponseCase{"NoContent", "HTTP/1.1 204 No Content\r\n\r\n", false, "before", "", 204},
        ResponseCase{"ContinueThenAnswer",
                     "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK",
                     false, "OK", "", 200},
        ResponseCase{"Redirect",
                     "HTTP/1.1 302 Found\r\nLocation: "
                     "http://127.0.0.1:1/elsewhere\r\nContent-Length: 3\r\n\r\nbye",
                     false, "before", "HTTP/1.1 302 Found", 302},
        ResponseCase{"SuccessWithLocation",
                     "HTTP/1.1 201 Created\r\nLocation: /x\r\nContent-Length: 0\r\n\r\n", false,
                     "before", "HTTP/1.1 201 Created", 201},
        ResponseCase{"NotFound", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone", false,
                     "before", "HTTP/1.1 404 Not Found", 404},
        ResponseCase{"ErrorBodyNeverEnds", "HTTP/1.1 500 Oops\r\n\r\npartial", false, "before",
                     "Read Timeout", 0},
        ResponseCase{"StatusWithoutNumber", "HTTP/1.1 OK fine\r\nContent-Length: 0\r\n\r\n", false,
                     "before", "HTTP/1.1 OK fine", -1},
        ResponseCase{"ClosedWithoutAnswer", "", true, "before", "Connection Closed Gracefully.", 0},
        ResponseCase{"SuccessCutInHeaders", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n", true,
                     "before", "Undefined situation", 0},
        ResponseCase{"ChunkedCutKeepsPart",
                     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nOK\r\n8\r\nabc",
                     true, "OKabc", "Connection Closed Gracefully.", 0},
        ResponseCase{"SilentBodyKeepsPart", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nOK", false,
                     "OK", "Read Timeout", 0},
        ResponseCase{"LongHeaderLine", "HTTP/1.1 200 OK\r\nX-Pad: " + kLongLine + "\r\n\r\n", false,
                     "before", "Max line length exceeded.", 0},
        ResponseCase{"LongStatusLineWithoutEnd", "HTTP/1.1 200 " + kLongLine, false, "before",
                     "Max line length exceeded.", 0},
        ResponseCase{"ChunkSizeTooWide",
                     "HTTP/1.1 200 OK\r\nTransfer-Encoding: "
                     "chunked\r\n\r\n1FFFFFFFFFFFFFFFF\r\nOK\r\n0\r\n\r\n",
                     false, "before", "Invalid chunk size: 1FFFFFFFFFFFFFFFF", 0},
        ResponseCase{
            "ChunkBeyondLimit",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFF\r\nOK\r\n0\r\n\r\n",
            false, "before", "Response body too large.", 0},
        ResponseCase{"ContentLengthBeyondLimit",
                     "HTTP/1.1 200 OK\r\nContent-Length: 1048577\r\n\r\nOK", false, "before",
                     "Response body too large.", 0}),
    [](const testing::TestParamInfo<ResponseCase>& test) { return std::string(test.param.name); });

TEST(HttpClient, UntilCloseBeyondLimitKeepsTheFirstMebibyte) {
    RawServer server({{"HTTP/1.1 200 OK\r\n\r\n" + kMiB + "!", true}});
    THttpClient client;
    UseShortLimits(client);
    const Outcome outcome = Fetch(client, server.Url());
    EXPECT_EQ(outcome.error, "Response body too large.");
    EXPECT_EQ(outcome.body, kMiB);
}

TEST(HttpClient, ExactBodyOfOneMebibyteIsAccepted) {
    RawServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n" + kMiB, false}});
    THttpClient client;
    UseShortLimits(client);
    const Outcome outcome = Fetch(client, server.Url());
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.body.size(), kMiB.size());
}

TEST(HttpClient, KeepAliveReusesTheConnectionAndCloseDoesNot) {
    struct Case {
        std::string reply;
        int connections;
        bool keptAfter;
    };
    const Case cases[] = {
        {kOk, 1, true},
        {kOk + "trailing junk", 2, false},
        {"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nOK", 2, false},
        {"HTTP/1.1 200 OK\r\nProxy-Connection:  Close \r\nContent-Length: 2\r\n\r\nOK", 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        RawServer server({{c.reply}, {c.reply}});
        THttpClient client;
        UseShortLimits(client);
        EXPECT_EQ(Fetch(client, server.Url("/a")).body, "OK");
        EXPECT_EQ(client.Connected(), c.keptAfter);
        EXPECT_EQ(Fetch(client, server.Url("/b")).body, "OK");
        EXPECT_EQ(server.Connections(), c.connections);
    }
}

TEST(HttpClient, ReconnectsWhenTheServerDroppedAKeptConnection) {
    RawServer server({{kOk, true}, {kOk}});
    THttpClient client;
    UseShortLimits(client);
    EXPECT_EQ(Fetch(client, server.Url()).body, "OK");
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // let the close arrive
    EXPECT_EQ(Fetch(client, server.Url()).body, "OK");
    EXPECT_EQ(server.Connections(), 2);
}

TEST(HttpClient, SendsTheRequestBytesExactly) {
    RawServer server({{kOk}});
    THttpClient client;
    Fetch(client, server.Url("/cgi/a.pl?x&y=1"));
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "GET /cgi/a.pl?x&y=1 HTTP/1.1\r\n"
                                    "Content-Type: text/html\r\n"
                                    "Host: 127.0.0.1:" +
                                        std::to_string(server.Port()) +
                                        "\r\n"
                                        "Accept: text/html, */*\r\n"
                                        "User-Agent: Mozilla/3.0 (compatible; Brinehold)\r\n"
                                        "\r\n");
}

TEST(HttpClient, SendsCookiesBackByPathAndDropsExpiredOnes) {
    RawServer server({
        {"HTTP/1.1 200 OK\r\nSet-Cookie: session=abc; path=/\r\nSet-cookie: deep=1; Path=/cgi/\r\n"
         "Set-Cookie2: old=x; expires=Thu, 01 Jan 1970 00:00:01 GMT\r\n"
         "Set-Cookie: safe=s; secure\r\nSet-Cookie: other=o; domain=example.com\r\nContent-Length: "
         "2\r\n\r\nOK"},
        {kOk},
        {"HTTP/1.1 200 OK\r\nSet-Cookie: session=; max-age=0; path=/\r\nContent-Length: "
         "2\r\n\r\nOK"},
        {kOk},
    });
    THttpClient client;
    UseShortLimits(client);
    Fetch(client, server.Url("/start"));
    Fetch(client, server.Url("/cgi/version.pl?version"));
    Fetch(client, server.Url("/cgi/x"));
    Fetch(client, server.Url("/cgi/y"));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
    EXPECT_NE(requests[1].find("\r\nCookie: deep=1; session=abc\r\n"), std::string::npos)
        << requests[1];
    EXPECT_NE(requests[3].find("\r\nCookie: deep=1\r\n"), std::string::npos) << requests[3];
}

// An expiry that is no date leaves the cookie for the session, as if unset.
TEST(HttpClient, KeepsACookieWhoseExpiryTimeIsOutOfRangeForTheSession) {
    RawServer server({{"HTTP/1.1 200 OK\r\nSet-Cookie: a=b; path=/; expires=Wed, 09 Jun 2013 "
                       "1011310:18:14 GMT\r\nContent-Length: 2\r\n\r\nOK"},
                      {kOk}});
    THttpClient client;
    Fetch(client, server.Url("/"));
    Fetch(client, server.Url("/"));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[1].find("\r\nCookie: a=b\r\n"), std::string::npos) << requests[1];
}

TEST(HttpClient, FoldsLongHeaderLines) {
    std::string setCookies;
    for (int i = 0; i < 6; ++i) {
        setCookies += "Set-Cookie: name" + std::to_string(i) + "=value-of-some-length-" +
                      std::to_string(i) + "\r\n";
    }
    RawServer server({{"HTTP/1.1 200 OK\r\n" + setCookies + "Content-Length: 2\r\n\r\nOK"}, {kOk}});
    THttpClient client;
    Fetch(client, server.Url("/"));
    Fetch(client, server.Url("/"));
    const std::string request = server.Requests().at(1);
    const std::size_t start = request.find("Cookie: ");
    ASSERT_NE(start, std::string::npos);
    std::string folded = request.substr(start, request.size() - 2 - start);
    std::string joined;
    std::size_t lines = 0;
    for (std::size_t pos = 0; pos < folded.size();) {
        const std::size_t end = folded.find("\r\n", pos);
        const std::string line = folded.substr(pos, end - pos);
        EXPECT_LE(line.size(), 78u) << line;
        if (lines > 0) {
            EXPECT_EQ(line[0], ' ');
        }
        joined += lines > 0 ? line : line;
        ++lines;
        pos = end + 2;
    }
    EXPECT_GT(lines, 1u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NE(
            joined.find("name" + std::to_string(i) + "=value-of-some-length-" + std::to_string(i)),
            std::string::npos);
    }
}

TEST(HttpClient, SilentServerEndsWithReadTimeoutWhileIdling) {
    RawServer server({{"", false, true}});
    THttpClient client;
    UseShortLimits(client);
    int idles = 0;
    client.SetIdleCallback([&] { ++idles; });
    EXPECT_EQ(Fetch(client, server.Url()).error, "Read Timeout");
    EXPECT_GE(idles, 3);
    EXPECT_FALSE(client.Connected());
}

TEST(HttpClient, ConnectionFailuresCarryTheSocketMessage) {
    THttpClient client;
    UseShortLimits(client);
    EXPECT_EQ(Fetch(client, "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/").error,
              "Socket Error # 10061\r\nConnection refused.");
    const Outcome unresolved = Fetch(client, "http://brinehold-test.invalid/cgi/version.pl");
    EXPECT_EQ(unresolved.error.rfind("Socket Error # 1100", 0), 0u) << unresolved.error;
    EXPECT_EQ(unresolved.body, "before");
}

TEST(HttpClient, LogsEveryRequest) {
    std::vector<std::string> lines;
    platform::SetLogSink([&](std::string_view line) { lines.emplace_back(line); });
    RawServer server({{kOk}});
    THttpClient client;
    Fetch(client, server.Url("/ok"));
    const std::string refused = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/";
    Fetch(client, refused);
    platform::SetLogSink(nullptr);
    const std::vector<std::string> expected = {
        "http get " + server.Url("/ok"),
        "http done 200 2",
        "http get " + refused,
        "http error Socket Error # 10061\\nConnection refused.",
    };
    EXPECT_EQ(lines, expected);
}

// A scripted stand-in for the platform's sockets.
class FakeSocket : public platform::ISocket {
public:
    struct Script {
        std::string host;
        int port = 0;
        std::string sent;
        std::deque<std::string> incoming;
        bool neverConnects = false;
    };
    explicit FakeSocket(Script& script) : script_(script) {}
    void StartConnect(const std::string& host, int port) override {
        script_.host = host;
        script_.port = port;
    }
    bool WaitConnected(int timeoutMs) override {
        if (script_.neverConnects) {
            std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        }
        return !script_.neverConnects;
    }
    void Send(std::string_view data, int) override { script_.sent += data; }
    long Receive(char* buffer, std::size_t size, int) override {
        if (script_.incoming.empty()) {
            return 0;
        }
        std::string& next = script_.incoming.front();
        const std::size_t count = std::min(size, next.size());
        next.copy(buffer, count);
        next.erase(0, count);
        if (next.empty()) {
            script_.incoming.pop_front();
        }
        return static_cast<long>(count);
    }
    bool IsOpen() override { return !script_.incoming.empty(); }
    void Close() override {}

private:
    Script& script_;
};

THttpClient FakeClient(FakeSocket::Script& script) {
    return THttpClient([&script] { return std::make_unique<FakeSocket>(script); });
}

TEST(HttpClient, ParsesUrlsIntoTargetAndHost) {
    struct Case {
        std::string url;
        std::string host;
        int port;
        std::string requestLine;
        std::string hostHeader;
    };
    const Case cases[] = {
        {"http://scores.example/cgi/a.pl?x&y=1", "scores.example", 80,
         "GET /cgi/a.pl?x&y=1 HTTP/1.1", "Host: scores.example"},
        {"HTTP://user:pw@Scores.example:8080", "Scores.example", 8080, "GET / HTTP/1.1",
         "Host: Scores.example:8080"},
        {"scores.example/x", "", 0, "", ""}, // no previous request: there is no host
        {"http://h\\cgi\\version.pl?hs#frag", "h", 80, "GET /cgi/version.pl?hs HTTP/1.1",
         "Host: h"},
        {"http://h/dir/doc.html#top?q", "h", 80, "GET /dir/doc.html?q HTTP/1.1", "Host: h"},
        {"http://h/a/b=c/d", "h", 80, "GET /a/b=c/d HTTP/1.1", "Host: h"},
        {"http://[::1]:8642/cgi/version.pl", "::1", 8642, "GET /cgi/version.pl HTTP/1.1",
         "Host: [::1]:8642"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        FakeSocket::Script script;
        script.incoming = {kOk};
        THttpClient client = FakeClient(script);
        const Outcome outcome = Fetch(client, c.url);
        if (c.host.empty()) {
            EXPECT_EQ(outcome.error, "Socket Error # 11001\r\nHost not found.");
            continue;
        }
        EXPECT_EQ(outcome.error, "");
        EXPECT_EQ(script.host, c.host);
        EXPECT_EQ(script.port, c.port);
        EXPECT_EQ(script.sent.substr(0, script.sent.find("\r\n")), c.requestLine);
        EXPECT_NE(script.sent.find("\r\n" + c.hostHeader + "\r\n"), std::string::npos)
            << script.sent;
    }
}

TEST(HttpClient, RelativeUrlsUseThePreviousServerAndPath) {
    FakeSocket::Script script;
    script.incoming = {kOk, kOk, kOk};
    THttpClient client = FakeClient(script);
    Fetch(client, "http://h:81/cgi/version.pl?version");
    Fetch(client, "other.pl?x");
    Fetch(client, "/top.html");
    EXPECT_NE(script.sent.find(
                  "GET /cgi/other.pl?x HTTP/1.1\r\nContent-Type: text/html\r\nHost: h:81\r\n"),
              std::string::npos);
    EXPECT_NE(script.sent.find("GET /top.html HTTP/1.1\r\n"), std::string::npos);
}

TEST(HttpClient, RejectsOtherProtocolsAndBadPorts) {
    FakeSocket::Script script;
    THttpClient client = FakeClient(script);
    EXPECT_EQ(Fetch(client, "ftp://h/x").error, "Unknown protocol: ftp");
    EXPECT_EQ(Fetch(client, "https://h/x").error, "Unknown protocol: https");
    EXPECT_EQ(Fetch(client, "http://h:99999/x").error, "Invalid port number: 99999");
    EXPECT_EQ(Fetch(client, "http://h:8o/x").error, "Invalid port number: 8o");
    EXPECT_TRUE(script.sent.empty());
}

TEST(HttpClient, ConnectThatNeverFinishesTimesOut) {
    FakeSocket::Script script;
    script.neverConnects = true;
    THttpClient client = FakeClient(script);
    client.GetLimits().connectMs = 200;
    int idles = 0;
    client.SetIdleCallback([&] { ++idles; });
    EXPECT_EQ(Fetch(client, "http://h/").error, "Socket Error # 10060\r\nConnection timed out.");
    EXPECT_GT(idles, 0);
}

} // namespace
