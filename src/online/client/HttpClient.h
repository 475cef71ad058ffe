// THttpClient: the HTTP/1.1 GET client that carries the score requests. One
// call, FetchUrl, sends a request and returns the body; every failure is an
// EHttpError whose message is what a player or a log should see. It runs on
// the caller's thread; while it waits it calls an idle callback so the window
// can repaint and drain its events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {
class ISocket;
}

// Any failure of FetchUrl. what() is the message ("Read Timeout",
// "Socket Error # 10061\r\nConnection refused.", the status line, ...).
class EHttpError : public std::runtime_error {
public:
    enum class Kind {
        Protocol,         // an HTTP status that is not a plain success
        ClosedGracefully, // the server closed when more data was needed
        Socket,           // the machine's sockets failed (or a connect timed out)
        LineTooLong,      // a response line over the limit
        Undefined,        // a success status on a connection already closed
        ReadTimeout,      // no data within the read limit
        UnknownProtocol,  // a scheme other than http (no message text)
        BodyTooLarge,     // the body exceeds the size limit
        BadChunk,         // a chunk size that does not fit
        BadUrl,           // a port that is not a number
    };
    EHttpError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind GetKind() const { return kind_; }

private:
    Kind kind_;
};

// A status that is not a plain success: the message is the status line.
class EHttpProtocolError : public EHttpError {
public:
    EHttpProtocolError(int code, const std::string& statusLine, std::string body)
        : EHttpError(Kind::Protocol, statusLine), code_(code), body_(std::move(body)) {}
    int ErrorCode() const { return code_; } // -1 when the status line had no number
    const std::string& ErrorBody() const { return body_; }

private:
    int code_;
    std::string body_;
};

class THttpClient {
public:
    using SocketFactory = std::function<std::unique_ptr<platform::ISocket>()>;

    // Limits that keep a silent or hostile server from holding the game.
    struct Limits {
        int connectMs = 10000;         // waiting for the connection
        int readMs = 10000;            // no data at all for this long: "Read Timeout"
        int errorBodyMs = 2000;        // the same while reading the body of an error status
        int requestMs = 60000;         // the whole request, however slowly data trickles
        int idleIntervalMs = 50;       // how often the idle callback runs while waiting
        std::size_t maxBody = 1 << 20; // bytes
        std::size_t maxLine = 16384;   // bytes of one status or header line
    };

    THttpClient(); // the platform's sockets
    explicit THttpClient(SocketFactory factory);
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    // Sends a GET request for `url` and stores the body, bytes unchanged, in
    // `result`, but only when at least one byte came: after an empty body
    // `result` keeps its value. Throws EHttpError; a failure after part of a
    // success body arrived stores that part first. Logs "http get URL" and
    // then "http done STATUS BYTES" or "http error MESSAGE".
    void FetchUrl(const std::string& url, std::string& result);

    // Called about every Limits::idleIntervalMs while a request waits. It may
    // repaint and drain window events but must not start another request.
    void SetIdleCallback(std::function<void()> idle) { idle_ = std::move(idle); }

    Limits& GetLimits() { return limits_; }

    // The status code of the last response (-1 when there was none or it had
    // no number), and whether a connection is kept open for the next request.
    int ResponseCode() const { return responseCode_; }
    bool Connected() const;
    // Closes a connection kept open for the next request.
    void Disconnect();

    // Request header values; the game never changes them.
    std::string RequestContentType = "text/html";
    std::string RequestAccept = "text/html, */*";
    std::string RequestUserAgent = "Mozilla/3.0 (compatible; Brinehold)";

    struct Cookie {
        std::string name;
        std::string value;
        std::string domain;
        std::string path;
        std::int64_t expires = 0; // seconds since 1970; 0: until the program ends
        bool secure = false;
    };
    const std::vector<Cookie>& Cookies() const { return cookies_; }

private:
    struct Url;
    struct Response;
    class Reader;

    void Fetch(const std::string& url, std::string& result, std::size_t& bytes);
    Url ParseUrl(const std::string& text) const;
    void Connect(const Url& url);
    std::string BuildRequest(const Url& url);
    void StoreCookie(const std::string& header, const Url& url);
    std::string CookieHeader(const Url& url);
    bool WaitSlice(const std::function<bool(int)>& step, int limitMs, bool connecting);

    SocketFactory factory_;
    std::unique_ptr<platform::ISocket> socket_;
    std::function<void()> idle_;
    Limits limits_;
    std::string host_; // of the open connection
    int port_ = 0;
    bool keepAlive_ = false;
    std::string buffer_; // bytes received but not yet used
    std::string lastHost_;
    int lastPort_ = 80;
    std::string lastProtocol_ = "http";
    std::string lastPath_ = "/";
    int responseCode_ = -1;
    std::vector<Cookie> cookies_;
};
