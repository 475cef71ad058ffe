// The HTTP client's handling of a server's answer: status line, headers,
// cookies, chunked and sized bodies, keep-alive. A socket stands in for the
// network and hands over the fuzzer's bytes in pieces of varying size, then
// reports the connection closed. Two requests share the client, so an answer
// that keeps the connection open feeds the second one with what is left.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "online/client/HttpClient.h"
#include "platform/Socket.h"

namespace {

class FuzzSocket : public platform::ISocket {
public:
    FuzzSocket(const std::uint8_t* data, std::size_t size, std::uint8_t pieces)
        : data_(data), size_(size), pieces_(pieces) {}

    void StartConnect(const std::string&, int) override { open_ = true; }
    bool WaitConnected(int) override { return true; }
    void Send(std::string_view, int) override {}
    long Receive(char* buffer, std::size_t size, int) override {
        if (at_ >= size_) {
            open_ = false;
            return 0;
        }
        // Piece sizes from 1 to 16 bytes, chosen by the input's first byte.
        const std::size_t piece = 1 + (pieces_ + calls_++) % 16;
        const std::size_t count = std::min({size, piece, size_ - at_});
        std::memcpy(buffer, data_ + at_, count);
        at_ += count;
        return static_cast<long>(count);
    }
    bool IsOpen() override { return open_ && at_ < size_; }
    void Close() override { open_ = false; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::uint8_t pieces_;
    std::size_t at_ = 0;
    std::size_t calls_ = 0;
    bool open_ = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t pieces = data[0];
    // One socket for the whole run: a kept-alive connection reads on where
    // the first answer ended; a new connection gets nothing more.
    bool made = false;
    THttpClient client([&]() -> std::unique_ptr<platform::ISocket> {
        if (made) {
            return std::make_unique<FuzzSocket>(data, 0, pieces);
        }
        made = true;
        return std::make_unique<FuzzSocket>(data + 1, size - 1, pieces);
    });
    client.GetLimits().maxBody = 4096;
    client.GetLimits().maxLine = 1024;
    for (const char* url : {"http://127.0.0.1:8642/cgi/version.pl?prg=Brinehold&version",
                            "http://127.0.0.1:8642/cgi/version.pl?prg=Brinehold&hs&inf=AAAA"}) {
        std::string body;
        try {
            client.FetchUrl(url, body);
        } catch (const EHttpError&) {
        }
    }
    return 0;
}
