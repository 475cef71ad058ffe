// The HTTP client's socket over Winsock: GetAddrInfoW, a non-blocking connect
// finished with WSAPoll, and sends and receives that wait with WSAPoll, so no
// call can block longer than its caller allows.
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2.h must come before windows.h.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Socket.h"
#include "platform/windows/WideText.h"

namespace platform {
namespace {

constexpr int kTimedOutCode = WSAETIMEDOUT;

// Winsock is started once for the process and left running until it ends.
void StartWinsock() {
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data{};
        const int result = WSAStartup(MAKEWORD(2, 2), &data);
        if (result != 0) {
            throw SocketError(result, "Cannot start Winsock.");
        }
    });
}

// The texts the other platforms give for the same numbers; the rest come
// from the system.
[[noreturn]] void ThrowCode(int code) {
    const char* text = nullptr;
    switch (code) {
    case WSAECONNREFUSED:
        text = "Connection refused.";
        break;
    case WSAETIMEDOUT:
        text = "Connection timed out.";
        break;
    case WSAECONNRESET:
        text = "Connection reset by peer.";
        break;
    case WSAECONNABORTED:
        text = "Software caused connection abort.";
        break;
    case WSAESHUTDOWN:
        text = "Cannot send after socket shutdown.";
        break;
    case WSAENETUNREACH:
        text = "Network is unreachable.";
        break;
    case WSAEHOSTUNREACH:
        text = "No route to host.";
        break;
    case WSAENETDOWN:
        text = "Network is down.";
        break;
    case WSAEADDRNOTAVAIL:
        text = "Cannot assign requested address.";
        break;
    case WSAEMFILE:
        text = "Too many open files.";
        break;
    case WSAHOST_NOT_FOUND:
        text = "Host not found.";
        break;
    case WSATRY_AGAIN:
        text = "Non-authoritative host not found.";
        break;
    default:
        break;
    }
    if (text != nullptr) {
        throw SocketError(code, text);
    }
    wchar_t* message = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string reason = message != nullptr ? Utf8FromWide(message) : "";
    LocalFree(message);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    if (reason.empty()) {
        reason = "Socket error " + std::to_string(code);
    }
    throw SocketError(code, reason + ".");
}

// The events of one socket after waiting at most `timeoutMs` (0: none yet).
short PollOne(SOCKET socket, short events, int timeoutMs) {
    WSAPOLLFD entry{socket, events, 0};
    const int ready = WSAPoll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (ready == SOCKET_ERROR) {
        ThrowCode(WSAGetLastError());
    }
    return ready == 0 ? 0 : entry.revents;
}

// Waits for a connect to finish. select() reports a failed connect in its
// exception set; WSAPoll missed those before Windows 10 2004. Returns false
// when the wait ran out.
bool WaitConnectDone(SOCKET socket, int timeoutMs, bool& failed) {
    fd_set writable;
    fd_set failures;
    FD_ZERO(&writable);
    FD_ZERO(&failures);
    FD_SET(socket, &writable);
    FD_SET(socket, &failures);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = select(0, nullptr, &writable, &failures, timeoutMs < 0 ? nullptr : &wait);
    if (ready == SOCKET_ERROR) {
        ThrowCode(WSAGetLastError());
    }
    failed = FD_ISSET(socket, &failures) != 0;
    return ready > 0;
}

class WinsockSocket final : public ISocket {
public:
    WinsockSocket() { StartWinsock(); }
    ~WinsockSocket() override { Close(); }

    void StartConnect(const std::string& host, int port) override {
        Close();
        addresses_.clear();
        next_ = 0;
        ADDRINFOW hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        ADDRINFOW* found = nullptr;
        const std::wstring name = WideFromUtf8(host);
        const std::wstring service = std::to_wstring(port);
        if (GetAddrInfoW(name.c_str(), service.c_str(), &hints, &found) != 0) {
            const int error = WSAGetLastError();
            ThrowCode(error == WSANO_DATA ? WSAHOST_NOT_FOUND : error);
        }
        for (ADDRINFOW* entry = found; entry != nullptr; entry = entry->ai_next) {
            Address address;
            address.family = entry->ai_family;
            address.length = static_cast<int>(entry->ai_addrlen);
            std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
            addresses_.push_back(address);
        }
        FreeAddrInfoW(found);
        if (addresses_.empty()) {
            ThrowCode(WSAHOST_NOT_FOUND);
        }
        lastError_ = 0;
        StartNextAddress();
    }

    bool WaitConnected(int timeoutMs) override {
        for (;;) {
            if (socket_ == INVALID_SOCKET) {
                ThrowCode(lastError_ != 0 ? lastError_ : WSAECONNREFUSED);
            }
            if (connected_) {
                return true;
            }
            bool failed = false;
            if (!WaitConnectDone(socket_, timeoutMs, failed)) {
                return false;
            }
            int error = 0;
            int length = sizeof error;
            if (getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                           &length) != 0) {
                error = WSAGetLastError();
            }
            if (error == 0 && failed) {
                error = WSAECONNREFUSED;
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
            const int chunk = static_cast<int>(std::min<std::size_t>(data.size(), 1 << 20));
            const int sent = send(socket_, data.data(), chunk, 0);
            if (sent > 0) {
                data.remove_prefix(static_cast<std::size_t>(sent));
                continue;
            }
            const int error = sent == 0 ? WSAESHUTDOWN : WSAGetLastError();
            if (error != WSAEWOULDBLOCK) {
                ThrowCode(error);
            }
            if (PollOne(socket_, POLLWRNORM, timeoutMs) == 0) {
                ThrowCode(kTimedOutCode);
            }
        }
    }

    long Receive(char* buffer, std::size_t size, int timeoutMs) override {
        RequireConnected();
        const int wanted = static_cast<int>(std::min<std::size_t>(size, 1 << 20));
        for (;;) {
            const int got = recv(socket_, buffer, wanted, 0);
            if (got >= 0) {
                return got;
            }
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK) {
                ThrowCode(error);
            }
            if (PollOne(socket_, POLLRDNORM, timeoutMs) == 0) {
                return kTimedOut;
            }
        }
    }

    bool IsOpen() override {
        if (socket_ == INVALID_SOCKET || !connected_) {
            return false;
        }
        if (PollOne(socket_, POLLRDNORM, 0) == 0) {
            return true;
        }
        char probe = 0;
        const int got = recv(socket_, &probe, 1, MSG_PEEK);
        if (got > 0) {
            return true;
        }
        return got < 0 && WSAGetLastError() == WSAEWOULDBLOCK;
    }

    void Close() override {
        if (socket_ != INVALID_SOCKET) {
            closesocket(socket_);
        }
        socket_ = INVALID_SOCKET;
        connected_ = false;
    }

private:
    struct Address {
        int family = 0;
        int length = 0;
        sockaddr_storage storage{};
    };

    void RequireConnected() {
        if (socket_ == INVALID_SOCKET || !connected_) {
            ThrowCode(WSAENOTCONN);
        }
    }

    // Opens a non-blocking socket and starts connecting to the next address;
    // leaves socket_ invalid when every address has failed.
    void StartNextAddress() {
        Close();
        while (next_ < addresses_.size()) {
            const Address& address = addresses_[next_++];
            // Not inherited: a program the desktop starts must not hold it.
            const SOCKET socket = WSASocketW(address.family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                             WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
            if (socket == INVALID_SOCKET) {
                lastError_ = WSAGetLastError();
                continue;
            }
            u_long nonBlocking = 1;
            ioctlsocket(socket, FIONBIO, &nonBlocking);
            const BOOL on = TRUE;
            setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                       sizeof on);
            const int result = connect(socket, reinterpret_cast<const sockaddr*>(&address.storage),
                                       address.length);
            const int error = result == 0 ? 0 : WSAGetLastError();
            if (result == 0 || error == WSAEWOULDBLOCK) {
                socket_ = socket;
                connected_ = result == 0;
                return;
            }
            lastError_ = error;
            closesocket(socket);
        }
    }

    SOCKET socket_ = INVALID_SOCKET;
    bool connected_ = false;
    std::vector<Address> addresses_;
    std::size_t next_ = 0;
    int lastError_ = 0;
};

} // namespace

std::unique_ptr<ISocket> CreateSocket() {
    return std::make_unique<WinsockSocket>();
}

} // namespace platform
