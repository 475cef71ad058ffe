// The HTTP side of the score server, on GNU libmicrohttpd: a few threads
// each wait on many connections at once (epoll), so slow or idle clients
// hold a socket but never a thread. Per-address connection and request
// limits, one access-log line per request, /healthz, and a stop that lets
// requests in flight finish.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "RateLimiter.h"
#include "ScoreService.h"

struct MHD_Daemon;
struct MHD_Connection;
struct MHD_Response;

struct HttpOptions {
    std::string host = "127.0.0.1";
    int port = 8642;
    bool sharePort = false; // SO_REUSEPORT: several processes on one port
    int threads = 4;
    int idleSeconds = 5;
    int connectionsPerAddress = 16; // 0: no limit (behind a load balancer)
    int maxConnections = 10000;
    double versionsPerMinute = 30; // the page and unknown requests count here too
    double versionBurst = 10;
    double submissionsPerMinute = 12;
    double submissionBurst = 5;
    // Peers whose X-Forwarded-For names the client (a load balancer).
    std::vector<std::string> trustedProxies;
    // Pages of these origins ("*": any) may call the server from a browser.
    std::vector<std::string> corsOrigins;
    // Serves the files of this folder too (the browser build's site).
    std::string webRoot;
    std::FILE* accessLog = nullptr; // none when null
};

class HttpServer {
public:
    HttpServer(ScoreService& service, StorePool& pool, HttpOptions options);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Starts serving; returns the port it listens on. Throws
    // std::runtime_error when it cannot listen.
    int Start();

    // Stops taking connections, answers what is in flight (each with
    // "Connection: close") and stops, waiting at most `grace` for clients.
    void Stop(std::chrono::milliseconds grace);

    // The library's callbacks land here.
    struct Request;
    Request* BeginRequest(const char* uri, MHD_Connection* connection);
    bool HandleRequest(MHD_Connection* connection, Request& request, const char* method,
                       std::size_t* uploadSize);
    void EndRequest(Request* request, int reason);

private:
    bool Respond(MHD_Connection* connection, Request& request, int status, const std::string& body,
                 const char* contentType);
    bool Send(MHD_Connection* connection, Request& request, int status, MHD_Response* response,
              std::size_t size);
    bool Preflight(MHD_Connection* connection, Request& request);
    bool ServeFile(MHD_Connection* connection, Request& request, std::string_view path);
    // The Origin header when it may call us, else empty.
    std::string AllowedOrigin(MHD_Connection* connection) const;
    bool Route(MHD_Connection* connection, Request& request);
    // With `headers`, a trusted proxy's X-Forwarded-For names the client.
    std::string ClientAddress(MHD_Connection* connection, bool headers) const;
    void Log(const Request& request, int reason);

    ScoreService& service_;
    StorePool& pool_;
    HttpOptions options_;
    RateLimiter versions_;
    RateLimiter submissions_;
    MHD_Daemon* daemon_ = nullptr;
    int listenSocket_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<int> inFlight_{0};
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};
