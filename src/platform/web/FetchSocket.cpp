// The HTTP client's socket in the page: a page has no sockets, only fetch.
// The raw request the client writes is sent as one fetch when the client
// first reads, and the answer comes back as the raw bytes of an HTTP/1.1
// response ending the connection, so the client's own parser, encodings and
// messages stay the same. Waits hand the thread back to the browser.
#include <emscripten.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/Socket.h"

// The JavaScript halves; clang-format would split their arrows.
// clang-format off

// Starts the fetch and returns its number. `headers` holds "Name: value"
// lines the browser lets a page set.
EM_JS(int, BrineholdFetchStart,
      (const char* url, const char* method, const char* headers, const char* body, int bodySize), {
    const fetches = Module.brineholdFetches || (Module.brineholdFetches = {next: 1});
    const id = fetches.next++;
    const entry = {settled: null, failed: false, bytes: null};
    fetches[id] = entry;
    // No escapes in these strings: they do not survive the trip into the page.
    const lf = String.fromCharCode(10);
    const crlf = String.fromCharCode(13) + lf;
    const names = new Headers();
    for (const line of UTF8ToString(headers).split(lf)) {
        const colon = line.indexOf(":");
        if (colon > 0) {
            names.append(line.slice(0, colon).trim(), line.slice(colon + 1).trim());
        }
    }
    const request = {method: UTF8ToString(method), headers: names, cache: "no-store"};
    if (bodySize > 0) {
        request.body = HEAPU8.slice(body, body + bodySize);
    }
    // fetch has undone any transfer or content encoding: the answer is
    // written back with its plain length.
    const dropped = ["content-length", "transfer-encoding", "content-encoding", "connection"];
    entry.settled = fetch(UTF8ToString(url), request).then(async (answer) => {
        const content = new Uint8Array(await answer.arrayBuffer());
        let head = "HTTP/1.1 " + answer.status + " " + answer.statusText + crlf;
        answer.headers.forEach((value, name) => {
            if (!dropped.includes(name.toLowerCase())) {
                head += name + ": " + value + crlf;
            }
        });
        head += "Content-Length: " + content.length + crlf + "Connection: close" + crlf + crlf;
        const bytes = new Uint8Array(head.length + content.length);
        for (let i = 0; i < head.length; ++i) {
            bytes[i] = head.charCodeAt(i) & 0xFF;
        }
        bytes.set(content, head.length);
        entry.bytes = bytes;
    }).catch(() => { entry.failed = true; });
    return id;
});

// Waits at most `timeoutMs`: the answer's size, -1 pending, -2 failed.
EM_ASYNC_JS(int, BrineholdFetchWait, (int id, int timeoutMs), {
    const entry = Module.brineholdFetches[id];
    await Promise.race([entry.settled, new Promise((resolve) => setTimeout(resolve, timeoutMs))]);
    if (entry.failed) {
        return -2;
    }
    return entry.bytes ? entry.bytes.length : -1;
});

// Copies the answer out and forgets the fetch.
EM_JS(void, BrineholdFetchTake, (int id, char* buffer), {
    const entry = Module.brineholdFetches[id];
    if (entry.bytes) {
        HEAPU8.set(entry.bytes, buffer);
    }
    delete Module.brineholdFetches[id];
});

// clang-format on

namespace platform {
namespace {

// Request headers a page may not set; the browser writes its own.
bool BrowserOwns(std::string_view name) {
    static const char* const kOwned[] = {"host",       "connection",        "content-length",
                                         "keep-alive", "transfer-encoding", "accept-encoding",
                                         "te",         "upgrade",           "expect"};
    for (const char* owned : kOwned) {
        const std::string_view o(owned);
        if (name.size() == o.size()) {
            bool same = true;
            for (std::size_t i = 0; i < o.size() && same; ++i) {
                const char c = name[i];
                same = (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) == o[i];
            }
            if (same) {
                return true;
            }
        }
    }
    return false;
}

class FetchSocket final : public ISocket {
public:
    ~FetchSocket() override { Close(); }

    void StartConnect(const std::string& host, int port) override {
        Close();
        const bool ipv6 = host.find(':') != std::string::npos;
        origin_ = "http://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
        open_ = true;
    }

    // The browser connects when the request goes out.
    bool WaitConnected(int) override { return true; }

    void Send(std::string_view data, int) override {
        if (!open_ || fetch_ != 0) {
            throw SocketError(10057, "Socket is not connected.");
        }
        request_.append(data);
    }

    long Receive(char* buffer, std::size_t size, int timeoutMs) override {
        if (!open_) {
            throw SocketError(10057, "Socket is not connected.");
        }
        if (fetch_ == 0 && !answered_) {
            Start();
        }
        if (!answered_) {
            const int waited = BrineholdFetchWait(fetch_, timeoutMs < 0 ? 0 : timeoutMs);
            if (waited == -1) {
                return kTimedOut;
            }
            if (waited == -2) {
                BrineholdFetchTake(fetch_, nullptr);
                fetch_ = 0;
                open_ = false;
                throw SocketError(10061, "Connection refused.");
            }
            answer_.assign(static_cast<std::size_t>(waited), '\0');
            BrineholdFetchTake(fetch_, answer_.data());
            fetch_ = 0;
            answered_ = true;
        }
        const std::size_t count = std::min(size, answer_.size() - read_);
        answer_.copy(buffer, count, read_);
        read_ += count;
        return static_cast<long>(count);
    }

    bool IsOpen() override { return open_ && (!answered_ || read_ < answer_.size()); }

    void Close() override {
        if (fetch_ != 0) {
            BrineholdFetchTake(fetch_, nullptr); // its answer, when it comes, is dropped
        }
        fetch_ = 0;
        open_ = false;
        answered_ = false;
        request_.clear();
        answer_.clear();
        read_ = 0;
    }

private:
    // The request line and headers as the client wrote them, the body after.
    void Start() {
        const std::size_t end = request_.find("\r\n\r\n");
        const std::size_t lineEnd = request_.find("\r\n");
        const std::size_t space = request_.find(' ');
        const std::size_t secondSpace =
            space == std::string::npos ? space : request_.find(' ', space + 1);
        if (end == std::string::npos || secondSpace == std::string::npos || secondSpace > lineEnd) {
            throw SocketError(10053, "Software caused connection abort.");
        }
        const std::string method = request_.substr(0, space);
        const std::string target = request_.substr(space + 1, secondSpace - space - 1);
        std::string headers;
        std::size_t line = lineEnd + 2;
        while (line < end) {
            std::size_t next = request_.find("\r\n", line);
            const std::string_view header(request_.data() + line, next - line);
            const std::size_t colon = header.find(':');
            if (colon != std::string_view::npos && !BrowserOwns(header.substr(0, colon))) {
                headers.append(header);
                headers.push_back('\n');
            }
            line = next + 2;
        }
        const std::string url = origin_ + (target.starts_with('/') ? target : "/" + target);
        const std::size_t bodyStart = end + 4;
        fetch_ = BrineholdFetchStart(url.c_str(), method.c_str(), headers.c_str(),
                                     request_.data() + bodyStart,
                                     static_cast<int>(request_.size() - bodyStart));
    }

    std::string origin_;
    bool open_ = false;
    std::string request_;
    int fetch_ = 0;
    bool answered_ = false;
    std::string answer_;
    std::size_t read_ = 0;
};

} // namespace

std::unique_ptr<ISocket> CreateSocket() {
    return std::make_unique<FetchSocket>();
}

} // namespace platform
