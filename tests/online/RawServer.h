// A loopback HTTP server for the client's tests that answers each request
// with fixed bytes. It runs on its own thread, serves at most for a bounded
// time and stops with the object.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct RawReply {
    std::string bytes;
    bool close = false;  // close the connection after sending
    bool silent = false; // never answer this request
};

class RawServer {
public:
    // Replies are used in order, one per request received; a request beyond
    // them gets its connection closed.
    explicit RawServer(std::vector<RawReply> replies, int lifetimeMs = 20000);
    ~RawServer();

    int Port() const { return port_; }
    std::string Url(const std::string& pathAndQuery = "/") const;
    // The request heads received so far, each up to and including its empty line.
    std::vector<std::string> Requests();
    int Connections() const { return connections_; }

private:
    void Run(int lifetimeMs);

    std::vector<RawReply> replies_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A loopback port on which nothing listens.
int UnusedPort();
