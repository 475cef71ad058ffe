// A TCP client socket as the HTTP client needs it: resolve and connect with a
// bounded wait, send, receive with a bounded wait, close. No OS header leaks
// through here, so another platform's sockets can stand in (src/platform/posix
// holds the POSIX one).
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A failure of the machine's sockets. `code` uses the WinSock numbers for the
// common failures (10061 refused, 10060 timed out, 11001 host not found, ...)
// so messages read the same on every platform; `text` is the human-readable
// reason ending in a full stop, such as "Connection refused.".
class SocketError : public std::runtime_error {
public:
    SocketError(int code, const std::string& text) : std::runtime_error(text), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

class ISocket {
public:
    virtual ~ISocket() = default;

    // Resolves `host` (a name or a numeric address) and starts connecting to
    // its first address without waiting. Throws SocketError when the name does
    // not resolve or no socket can be made.
    virtual void StartConnect(const std::string& host, int port) = 0;

    // Waits at most `timeoutMs` for the connection started above. Returns true
    // once it is established, false while it is still pending. A refused
    // address moves on to the host's next one; when none is left, throws
    // SocketError.
    virtual bool WaitConnected(int timeoutMs) = 0;

    // Sends all of `data`; waits at most `timeoutMs` for room in between.
    // Throws SocketError on failure or when the wait runs out (10060).
    virtual void Send(std::string_view data, int timeoutMs) = 0;

    static constexpr long kTimedOut = -1;

    // Waits at most `timeoutMs` for data and reads up to `size` bytes.
    // Returns the count read, 0 when the peer closed the connection, or
    // kTimedOut when nothing came in time. Throws SocketError on failure.
    virtual long Receive(char* buffer, std::size_t size, int timeoutMs) = 0;

    // True while connected and the peer has not closed its side (data still
    // waiting to be read counts as open). Never waits.
    virtual bool IsOpen() = 0;

    // Closes the connection; safe to call when none is open.
    virtual void Close() = 0;
};

// The platform's sockets.
std::unique_ptr<ISocket> CreateSocket();

} // namespace platform
