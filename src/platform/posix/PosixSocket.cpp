// The HTTP client's socket over POSIX: getaddrinfo, a non-blocking connect
// finished with poll, and sends and receives that wait with poll, so no call
// can block longer than its caller allows.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Socket.h"

namespace platform {
namespace {

constexpr int kTimedOutCode = 10060;

// The common failures get the WinSock numbers and texts, so a player's report
// reads the same whatever machine wrote it.
[[noreturn]] void ThrowErrno(int error) {
    switch (error) {
    case ECONNREFUSED:
        throw SocketError(10061, "Connection refused.");
    case ETIMEDOUT:
        throw SocketError(kTimedOutCode, "Connection timed out.");
    case ECONNRESET:
        throw SocketError(10054, "Connection reset by peer.");
    case ECONNABORTED:
        throw SocketError(10053, "Software caused connection abort.");
    case EPIPE:
        throw SocketError(10058, "Cannot send after socket shutdown.");
    case ENETUNREACH:
        throw SocketError(10051, "Network is unreachable.");
    case EHOSTUNREACH:
        throw SocketError(10065, "No route to host.");
    case ENETDOWN:
        throw SocketError(10050, "Network is down.");
    case EADDRNOTAVAIL:
        throw SocketError(10049, "Cannot assign requested address.");
    case EMFILE:
    case ENFILE:
        throw SocketError(10024, "Too many open files.");
    default:
        break;
    }
    std::string text = std::strerror(error);
    text += '.';
    throw SocketError(error, text);
}

[[noreturn]] void ThrowResolve(int error) {
    switch (error) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
        throw SocketError(11001, "Host not found.");
    case EAI_AGAIN:
        throw SocketError(11002, "Non-authoritative host not found.");
    case EAI_SYSTEM:
        ThrowErrno(errno);
    default:
        break;
    }
    std::string text = gai_strerror(error);
    text += '.';
    throw SocketError(11003, text);
}

int PollOne(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs);
        if (ready >= 0) {
            return ready == 0 ? 0 : entry.revents;
        }
        if (errno != EINTR) {
            ThrowErrno(errno);
        }
    }
}

class PosixSocket final : public ISocket {
public:
    ~PosixSocket() override { Close(); }

    void StartConnect(const std::string& host, int port) override {
        Close();
        addresses_.clear();
        next_ = 0;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(port);
        const int result = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        if (result != 0) {
            ThrowResolve(result);
        }
        for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
            Address address;
            address.family = entry->ai_family;
            address.length = entry->ai_addrlen;
            std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
            addresses_.push_back(address);
        }
        ::freeaddrinfo(found);
        if (addresses_.empty()) {
            throw SocketError(11001, "Host not found.");
        }
        lastError_ = 0;
        StartNextAddress();
    }

    bool WaitConnected(int timeoutMs) override {
        for (;;) {
            if (fd_ < 0) {
                ThrowErrno(lastError_ != 0 ? lastError_ : ECONNREFUSED);
            }
            if (connected_) {
                return true;
            }
            const int events = PollOne(fd_, POLLOUT, timeoutMs);
            if (events == 0) {
                return false;
            }
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
                error = errno;
            }
            if (error == 0) {
                connected_ = true;
                return true;
            }
            // This address failed; try the host's next one at once.
            lastError_ = error;
            StartNextAddress();
        }
    }

    void Send(std::string_view data, int timeoutMs) override {
        RequireConnected();
        while (!data.empty()) {
            const ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
            if (sent > 0) {
                data.remove_prefix(static_cast<std::size_t>(sent));
                continue;
            }
            if (sent < 0 && errno == EINTR) {
                continue;
            }
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (PollOne(fd_, POLLOUT, timeoutMs) == 0) {
                    throw SocketError(kTimedOutCode, "Connection timed out.");
                }
                continue;
            }
            ThrowErrno(sent < 0 ? errno : EPIPE);
        }
    }

    long Receive(char* buffer, std::size_t size, int timeoutMs) override {
        RequireConnected();
        for (;;) {
            const ssize_t got = ::recv(fd_, buffer, size, 0);
            if (got >= 0) {
                return static_cast<long>(got);
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                ThrowErrno(errno);
            }
            if (PollOne(fd_, POLLIN, timeoutMs) == 0) {
                return kTimedOut;
            }
        }
    }

    bool IsOpen() override {
        if (fd_ < 0 || !connected_) {
            return false;
        }
        const int events = PollOne(fd_, POLLIN, 0);
        if (events == 0) {
            return true;
        }
        char probe = 0;
        const ssize_t got = ::recv(fd_, &probe, 1, MSG_PEEK);
        if (got > 0) {
            return true;
        }
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
    }

    void Close() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
        connected_ = false;
    }

private:
    struct Address {
        int family = 0;
        socklen_t length = 0;
        sockaddr_storage storage{};
    };

    void RequireConnected() {
        if (fd_ < 0 || !connected_) {
            throw SocketError(10057, "Socket is not connected.");
        }
    }

    // Opens a non-blocking socket and starts connecting to the next address;
    // leaves fd_ at -1 when every address has failed.
    void StartNextAddress() {
        Close();
        while (next_ < addresses_.size()) {
            const Address& address = addresses_[next_++];
            const int fd = ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0) {
                lastError_ = errno;
                continue;
            }
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            const int result =
                ::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length);
            if (result == 0 || errno == EINPROGRESS || errno == EINTR) {
                fd_ = fd;
                connected_ = result == 0;
                return;
            }
            lastError_ = errno;
            ::close(fd);
        }
    }

    int fd_ = -1;
    bool connected_ = false;
    std::vector<Address> addresses_;
    std::size_t next_ = 0;
    int lastError_ = 0;
};

} // namespace

std::unique_ptr<ISocket> CreateSocket() {
    return std::make_unique<PosixSocket>();
}

} // namespace platform
