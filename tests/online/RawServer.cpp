#include "RawServer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace {

int Listen(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on loopback");
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

RawServer::RawServer(std::vector<RawReply> replies, int lifetimeMs) : replies_(std::move(replies)) {
    listener_ = Listen(port_);
    thread_ = std::thread([this, lifetimeMs] { Run(lifetimeMs); });
}

RawServer::~RawServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

std::string RawServer::Url(const std::string& pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(port_) + pathAndQuery;
}

std::vector<std::string> RawServer::Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RawServer::Run(int lifetimeMs) {
    struct Connection {
        int fd;
        std::string received;
    };
    std::vector<Connection> open;
    std::size_t next = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(lifetimeMs);
    while (!stop_ && std::chrono::steady_clock::now() < end) {
        std::vector<pollfd> watch{{listener_, POLLIN, 0}};
        for (const Connection& connection : open) {
            watch.push_back({connection.fd, POLLIN, 0});
        }
        if (::poll(watch.data(), watch.size(), 20) <= 0) {
            continue;
        }
        if (watch[0].revents & POLLIN) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                ++connections_;
                open.push_back({fd, {}});
            }
        }
        for (std::size_t i = 1; i < watch.size(); ++i) {
            if (!(watch[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                continue;
            }
            Connection& connection = open[i - 1];
            char block[4096];
            const ssize_t got = ::recv(connection.fd, block, sizeof block, 0);
            if (got <= 0) {
                ::close(connection.fd);
                connection.fd = -1;
                continue;
            }
            connection.received.append(block, static_cast<std::size_t>(got));
            std::size_t head;
            while (connection.fd >= 0 &&
                   (head = connection.received.find("\r\n\r\n")) != std::string::npos) {
                {
                    std::lock_guard lock(mutex_);
                    requests_.push_back(connection.received.substr(0, head + 4));
                }
                connection.received.erase(0, head + 4);
                if (next >= replies_.size()) {
                    ::close(connection.fd);
                    connection.fd = -1;
                    break;
                }
                const RawReply& reply = replies_[next++];
                if (reply.silent) {
                    continue;
                }
                std::size_t sent = 0;
                while (sent < reply.bytes.size()) {
                    const ssize_t n = ::send(connection.fd, reply.bytes.data() + sent,
                                             reply.bytes.size() - sent, MSG_NOSIGNAL);
                    if (n <= 0) {
                        break;
                    }
                    sent += static_cast<std::size_t>(n);
                }
                if (reply.close) {
                    ::close(connection.fd);
                    connection.fd = -1;
                }
            }
        }
        std::erase_if(open, [](const Connection& connection) { return connection.fd < 0; });
    }
    for (const Connection& connection : open) {
        ::close(connection.fd);
    }
}

int UnusedPort() {
    int port = 0;
    const int fd = Listen(port);
    ::close(fd);
    return port;
}
