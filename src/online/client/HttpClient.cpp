#include "online/client/HttpClient.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <ctime>

#include "platform/Log.h"
#include "platform/Socket.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kHeaderLineWidth = 78;

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// A digits-only decimal number; false for anything else or when it overflows.
template <typename Number> bool ParseDecimal(std::string_view text, Number& value) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

int Elapsed(Clock::time_point since) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

// The log takes one line per event, so line breaks in messages become "\n".
std::string OneLine(std::string_view text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        if (text[i] == '\r' || text[i] == '\n') {
            line += "\\n";
        } else {
            line += text[i];
        }
    }
    return line;
}

// A header line longer than 78 characters is folded at a blank, a tab or
// after a comma; continuation pieces start with one blank.
void AppendHeader(std::string& request, const std::string& name, const std::string& value) {
    std::string rest = name + ": " + value;
    bool first = true;
    while (true) {
        std::string piece = first ? rest : " " + rest;
        if (piece.size() <= kHeaderLineWidth) {
            while (!piece.empty() && piece.back() == ' ') {
                piece.pop_back();
            }
            request += piece + "\r\n";
            return;
        }
        std::size_t cut = std::string::npos;
        for (std::size_t i = kHeaderLineWidth; i > (first ? 0u : 1u); --i) {
            const char c = piece[i - 1];
            if (c == ',') {
                cut = i; // the comma stays on this piece
                break;
            }
            if ((c == ' ' || c == '\t') && i - 1 > (first ? 0u : 1u)) {
                cut = i - 1;
                break;
            }
        }
        if (cut == std::string::npos) {
            // No place to fold: sending it whole beats corrupting the value.
            request += piece + "\r\n";
            return;
        }
        std::string head = piece.substr(0, cut);
        while (!head.empty() && (head.back() == ' ' || head.back() == '\t')) {
            head.pop_back();
        }
        request += head + "\r\n";
        std::string_view tail(piece);
        tail.remove_prefix(cut);
        while (!tail.empty() && (tail.front() == ' ' || tail.front() == '\t')) {
            tail.remove_prefix(1);
        }
        if (tail.empty()) {
            return;
        }
        rest = std::string(tail);
        first = false;
    }
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

// Cookie dates in the usual spellings ("Sun, 06 Nov 1994 08:49:37 GMT",
// "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994"); 0 when the
// text is not a date.
std::int64_t ParseCookieDate(std::string_view text) {
    static constexpr std::string_view kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                                   "jul", "aug", "sep", "oct", "nov", "dec"};
    int day = -1, month = -1, hour = -1, minute = 0, second = 0;
    std::int64_t year = -1;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(" ,-\t", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view token = text.substr(start, end - start);
        start = end + 1;
        if (token.empty()) {
            continue;
        }
        if (token.find(':') != std::string_view::npos) {
            const std::size_t a = token.find(':');
            const std::size_t b = token.find(':', a + 1);
            ParseDecimal(token.substr(0, a), hour);
            ParseDecimal(token.substr(a + 1, b == std::string_view::npos ? b : b - a - 1), minute);
            if (b != std::string_view::npos) {
                ParseDecimal(token.substr(b + 1), second);
            }
        } else if (std::isalpha(static_cast<unsigned char>(token[0])) && token.size() >= 3) {
            for (int m = 0; m < 12; ++m) {
                if (EqualsNoCase(token.substr(0, 3), kMonths[m])) {
                    month = m + 1;
                }
            }
        } else {
            int number = 0;
            if (ParseDecimal(token, number)) {
                if (token.size() <= 2 && day < 0) {
                    day = number;
                } else {
                    year = number;
                }
            }
        }
    }
    // A time out of range is no date (and would overflow the seconds).
    if (day < 1 || day > 31 || month < 0 || year < 0 || hour < 0 || hour > 23 || minute > 59 ||
        second > 59) {
        return 0;
    }
    if (year < 70) {
        year += 2000;
    } else if (year < 100) {
        year += 1900;
    }
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
           hour * 3600 + minute * 60 + second;
}

std::int64_t NowSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

bool DomainMatches(std::string_view host, std::string_view domain) {
    if (EqualsNoCase(host, domain)) {
        return true;
    }
    return host.size() > domain.size() && EndsWithNoCase(host, domain) &&
           host[host.size() - domain.size() - 1] == '.';
}

EHttpError SocketFailure(const platform::SocketError& error) {
    return EHttpError(EHttpError::Kind::Socket,
                      "Socket Error # " + std::to_string(error.Code()) + "\r\n" + error.what());
}

} // namespace

struct THttpClient::Url {
    std::string protocol;
    std::string host;
    int port = 80;
    std::string path;     // "/" and the folders, ending in "/"
    std::string document; // the file name
    std::string query;    // from the "?" on
    std::string Target() const { return path + document + query; }
};

struct THttpClient::Response {
    std::string statusLine;
    int code = -1;
    std::vector<std::pair<std::string, std::string>> headers;
    bool cutByClose = false; // the server closed before the empty line

    const std::string* Find(std::string_view name) const {
        for (const auto& [key, value] : headers) {
            if (EqualsNoCase(key, name)) {
                return &value;
            }
        }
        return nullptr;
    }
};

// Buffered reads over the open connection. Every wait is cut into slices so
// the idle callback runs, and ends with "Read Timeout" when no data comes for
// the given time or the whole request has run too long.
class THttpClient::Reader {
public:
    Reader(THttpClient& client, Clock::time_point requestStart)
        : client_(client), requestStart_(requestStart) {}

    bool closed = false;

    // Receives at least one more byte into the buffer; false when the peer
    // has closed the connection.
    bool Fill(int timeoutMs) {
        if (closed) {
            return false;
        }
        const Clock::time_point start = Clock::now();
        char block[4096];
        for (;;) {
            const int left = std::min(timeoutMs - Elapsed(start),
                                      client_.limits_.requestMs - Elapsed(requestStart_));
            if (left <= 0) {
                throw EHttpError(EHttpError::Kind::ReadTimeout, "Read Timeout");
            }
            const long got = client_.socket_->Receive(
                block, sizeof block, std::min(left, client_.limits_.idleIntervalMs));
            if (got > 0) {
                client_.buffer_.append(block, static_cast<std::size_t>(got));
                return true;
            }
            if (got == 0) {
                closed = true;
                return false;
            }
            if (client_.idle_) {
                client_.idle_();
            }
        }
    }

    // One line without its LF (and the CR before it). Returns false when the
    // connection closed first; `line` then holds what came.
    bool ReadLine(std::string& line, int timeoutMs) {
        std::string& buffer = client_.buffer_;
        const std::size_t maxLine = client_.limits_.maxLine;
        std::size_t scanned = 0;
        for (;;) {
            const std::size_t end = buffer.find('\n', scanned);
            if (end != std::string::npos) {
                std::size_t length = end;
                if (length > 0 && buffer[length - 1] == '\r') {
                    --length;
                }
                if (length > maxLine) {
                    throw EHttpError(EHttpError::Kind::LineTooLong, "Max line length exceeded.");
                }
                line.assign(buffer, 0, length);
                buffer.erase(0, end + 1);
                return true;
            }
            if (buffer.size() > maxLine + 1) {
                throw EHttpError(EHttpError::Kind::LineTooLong, "Max line length exceeded.");
            }
            scanned = buffer.size();
            if (!Fill(timeoutMs)) {
                line = buffer;
                buffer.clear();
                return false;
            }
        }
    }

    // Appends up to `count` bytes to `out`; false when the connection closed
    // before all of them came.
    bool ReadBytes(std::size_t count, std::string& out, int timeoutMs) {
        std::string& buffer = client_.buffer_;
        while (count > 0) {
            if (buffer.empty() && !Fill(timeoutMs)) {
                return false;
            }
            const std::size_t take = std::min(count, buffer.size());
            out.append(buffer, 0, take);
            buffer.erase(0, take);
            count -= take;
        }
        return true;
    }

    void ReadUntilClose(std::string& out, int timeoutMs) {
        std::string& buffer = client_.buffer_;
        for (;;) {
            out += buffer;
            buffer.clear();
            if (out.size() > client_.limits_.maxBody) {
                out.resize(client_.limits_.maxBody);
                CheckSize(out.size() + 1);
            }
            if (!Fill(timeoutMs)) {
                return;
            }
        }
    }

    void CheckSize(std::size_t size) const {
        if (size > client_.limits_.maxBody) {
            throw EHttpError(EHttpError::Kind::BodyTooLarge, "Response body too large.");
        }
    }

private:
    THttpClient& client_;
    Clock::time_point requestStart_;
};

THttpClient::THttpClient() : THttpClient([] { return platform::CreateSocket(); }) {}

THttpClient::THttpClient(SocketFactory factory) : factory_(std::move(factory)) {}

THttpClient::~THttpClient() = default;

bool THttpClient::Connected() const {
    return socket_ != nullptr;
}

void THttpClient::Disconnect() {
    socket_.reset();
    keepAlive_ = false;
}

void THttpClient::FetchUrl(const std::string& url, std::string& result) {
    platform::LogEvent("http get " + url);
    std::size_t bytes = 0;
    try {
        try {
            Fetch(url, result, bytes);
        } catch (const platform::SocketError& error) {
            throw SocketFailure(error);
        }
    } catch (const EHttpError& error) {
        platform::LogEvent("http error " + OneLine(error.what()));
        throw;
    }
    platform::LogEvent("http done " + std::to_string(responseCode_) + " " + std::to_string(bytes));
}

THttpClient::Url THttpClient::ParseUrl(const std::string& text) const {
    std::string url = text;
    std::replace(url.begin(), url.end(), '\\', '/');
    Url parsed;
    std::string rest;
    const std::size_t scheme = url.find("://");
    if (scheme != std::string::npos) {
        parsed.protocol = url.substr(0, scheme);
        std::string authority = url.substr(scheme + 3);
        const std::size_t slash = authority.find('/');
        if (slash != std::string::npos) {
            rest = authority.substr(slash + 1);
            authority.resize(slash);
        }
        const std::size_t at = authority.rfind('@');
        if (at != std::string::npos) {
            authority.erase(0, at + 1); // user name and password: the game sets none
        }
        std::string port;
        if (!authority.empty() && authority.front() == '[') {
            const std::size_t close = authority.find(']');
            parsed.host = authority.substr(1, close == std::string::npos ? close : close - 1);
            if (close != std::string::npos && close + 1 < authority.size() &&
                authority[close + 1] == ':') {
                port = authority.substr(close + 2);
            }
        } else {
            const std::size_t colon = authority.find(':');
            parsed.host = authority.substr(0, colon);
            if (colon != std::string::npos) {
                port = authority.substr(colon + 1);
            }
        }
        if (parsed.protocol.empty()) {
            parsed.protocol = "http";
        }
        for (char& c : parsed.protocol) {
            c = Lower(c);
        }
        if (parsed.protocol != "http") {
            // No encrypted connections: an https URL would send plain text to a TLS port.
            throw EHttpError(EHttpError::Kind::UnknownProtocol,
                             "Unknown protocol: " + parsed.protocol);
        }
        if (port.empty()) {
            parsed.port = 80;
        } else if (!ParseDecimal(port, parsed.port) || parsed.port < 1 || parsed.port > 65535) {
            throw EHttpError(EHttpError::Kind::BadUrl, "Invalid port number: " + port);
        }
    } else {
        // A URL without "://" is a path on the server of the previous request.
        parsed.protocol = lastProtocol_;
        parsed.host = lastHost_;
        parsed.port = lastPort_;
        if (!url.empty() && url.front() == '/') {
            rest = url.substr(1);
        } else {
            rest = lastPath_.substr(1) + url;
        }
    }
    std::size_t split = rest.find('?');
    if (split == std::string::npos) {
        split = rest.find('=');
    }
    if (split == std::string::npos) {
        split = rest.size();
    }
    const std::size_t lastSlash = rest.rfind('/', split == 0 ? 0 : split - 1);
    const std::size_t documentStart =
        (lastSlash == std::string::npos || lastSlash >= split) ? 0 : lastSlash + 1;
    parsed.path = "/" + rest.substr(0, documentStart);
    parsed.document = rest.substr(documentStart, split - documentStart);
    parsed.query = rest.substr(split);
    const std::size_t hash = parsed.document.find('#');
    if (hash != std::string::npos) {
        parsed.document.resize(hash);
    } else {
        const std::size_t queryHash = parsed.query.find('#');
        if (queryHash != std::string::npos) {
            parsed.query.resize(queryHash);
        }
    }
    return parsed;
}

bool THttpClient::WaitSlice(const std::function<bool(int)>& step, int limitMs, bool connecting) {
    const Clock::time_point start = Clock::now();
    for (;;) {
        const int left = limitMs - Elapsed(start);
        if (left <= 0) {
            if (connecting) {
                throw platform::SocketError(10060, "Connection timed out.");
            }
            throw EHttpError(EHttpError::Kind::ReadTimeout, "Read Timeout");
        }
        if (step(std::min(left, limits_.idleIntervalMs))) {
            return true;
        }
        if (idle_) {
            idle_();
        }
    }
}

void THttpClient::Connect(const Url& url) {
    if (socket_ && (!EqualsNoCase(host_, url.host) || port_ != url.port)) {
        socket_.reset();
    }
    if (socket_ && !keepAlive_) {
        socket_.reset();
    }
    // A kept connection the server has closed meanwhile would only fail the
    // request; open a new one instead.
    if (socket_ && !socket_->IsOpen()) {
        socket_.reset();
    }
    if (socket_) {
        return;
    }
    buffer_.clear();
    host_ = url.host;
    port_ = url.port;
    auto socket = factory_();
    socket->StartConnect(url.host, url.port);
    WaitSlice([&](int slice) { return socket->WaitConnected(slice); }, limits_.connectMs, true);
    socket_ = std::move(socket);
}

std::string THttpClient::CookieHeader(const Url& url) {
    const std::int64_t now = NowSeconds();
    std::erase_if(cookies_, [now](const Cookie& cookie) {
        return cookie.expires != 0 && cookie.expires <= now;
    });
    const std::string target = url.path + url.document;
    std::vector<const Cookie*> matching;
    for (const Cookie& cookie : cookies_) {
        if (!cookie.secure && DomainMatches(url.host, cookie.domain) &&
            target.starts_with(cookie.path)) {
            matching.push_back(&cookie);
        }
    }
    std::stable_sort(matching.begin(), matching.end(), [](const Cookie* a, const Cookie* b) {
        return a->path.size() > b->path.size();
    });
    std::string header;
    for (const Cookie* cookie : matching) {
        if (!header.empty()) {
            header += "; ";
        }
        header += cookie->name + "=" + cookie->value;
    }
    return header;
}

void THttpClient::StoreCookie(const std::string& header, const Url& url) {
    Cookie cookie;
    cookie.domain = url.host;
    cookie.path = url.path;
    std::string_view rest(header);
    bool first = true;
    bool expired = false;
    bool hasMaxAge = false; // Max-Age wins over Expires
    while (!rest.empty()) {
        const std::size_t semicolon = rest.find(';');
        const std::string_view part = Trim(rest.substr(0, semicolon));
        rest =
            semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
        const std::size_t equals = part.find('=');
        const std::string_view name = Trim(part.substr(0, equals));
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : Trim(part.substr(equals + 1));
        if (first) {
            if (name.empty() || equals == std::string_view::npos) {
                return;
            }
            cookie.name = name;
            cookie.value = value;
            first = false;
        } else if (EqualsNoCase(name, "path")) {
            if (!value.empty() && value.front() == '/') {
                cookie.path = value;
            }
        } else if (EqualsNoCase(name, "domain")) {
            std::string_view domain = value;
            if (!domain.empty() && domain.front() == '.') {
                domain.remove_prefix(1);
            }
            // A server may widen a cookie to its own parent domain, never to
            // another host's, or the cookie would leak there.
            if (domain.empty() || !DomainMatches(url.host, domain)) {
                return;
            }
            cookie.domain = domain;
        } else if (EqualsNoCase(name, "expires")) {
            if (!hasMaxAge) {
                const std::int64_t when = ParseCookieDate(value);
                if (when != 0) {
                    cookie.expires = when;
                    expired = when <= NowSeconds();
                }
            }
        } else if (EqualsNoCase(name, "max-age")) {
            std::int64_t seconds = 0;
            if (!value.empty() && value.front() == '-') {
                hasMaxAge = true;
                expired = true;
            } else if (ParseDecimal(value, seconds)) {
                hasMaxAge = true;
                expired = seconds == 0;
                cookie.expires = NowSeconds() + seconds;
            }
        } else if (EqualsNoCase(name, "secure")) {
            cookie.secure = true;
        }
    }
    std::erase_if(cookies_, [&](const Cookie& old) {
        return old.name == cookie.name && EqualsNoCase(old.domain, cookie.domain) &&
               old.path == cookie.path;
    });
    if (!expired) {
        cookies_.push_back(cookie);
    }
}

std::string THttpClient::BuildRequest(const Url& url) {
    std::string request = "GET " + url.Target() + " HTTP/1.1\r\n";
    std::string host = url.host.find(':') != std::string::npos ? "[" + url.host + "]" : url.host;
    if (url.port != 80) {
        host += ":" + std::to_string(url.port);
    }
    const std::pair<const char*, std::string> headers[] = {
        {"Content-Type", RequestContentType},
        {"Host", host},
        {"Accept", RequestAccept},
        {"User-Agent", RequestUserAgent},
        {"Cookie", CookieHeader(url)},
    };
    for (const auto& [name, value] : headers) {
        if (!value.empty()) {
            AppendHeader(request, name, value);
        }
    }
    request += "\r\n";
    return request;
}

void THttpClient::Fetch(const std::string& text, std::string& result, std::size_t& bytes) {
    const Clock::time_point start = Clock::now();
    responseCode_ = -1;
    const Url url = ParseUrl(text);
    lastProtocol_ = url.protocol;
    lastHost_ = url.host;
    lastPort_ = url.port;
    lastPath_ = url.path;
    if (url.host.empty()) {
        throw platform::SocketError(11001, "Host not found.");
    }

    // Any failure below leaves the connection in an unknown state.
    struct CloseOnFailure {
        THttpClient& client;
        bool armed = true;
        ~CloseOnFailure() {
            if (armed) {
                client.socket_.reset();
                client.keepAlive_ = false;
            }
        }
    } guard{*this};

    Connect(url);
    socket_->Send(BuildRequest(url), limits_.readMs);

    Reader reader(*this, start);
    Response response;
    do {
        response = Response();
        if (!reader.ReadLine(response.statusLine, limits_.readMs) && response.statusLine.empty()) {
            throw EHttpError(EHttpError::Kind::ClosedGracefully, "Connection Closed Gracefully.");
        }
        std::size_t first = response.statusLine.find(' ');
        if (first != std::string::npos) {
            const std::size_t wordStart = response.statusLine.find_first_not_of(' ', first);
            const std::size_t wordEnd = response.statusLine.find(' ', wordStart);
            if (wordStart != std::string::npos &&
                !ParseDecimal(
                    std::string_view(response.statusLine).substr(wordStart, wordEnd - wordStart),
                    response.code)) {
                response.code = -1;
            }
        }
        response.cutByClose = reader.closed;
        std::string line;
        while (!reader.closed) {
            const bool complete = reader.ReadLine(line, limits_.readMs);
            if (complete && line.empty()) {
                break;
            }
            if (!complete) {
                response.cutByClose = true;
                if (line.empty()) {
                    break;
                }
            }
            if ((line.front() == ' ' || line.front() == '\t') && !response.headers.empty()) {
                response.headers.back().second += " " + std::string(Trim(line));
                continue;
            }
            const std::size_t colon = line.find(':');
            if (colon != std::string::npos) {
                response.headers.emplace_back(
                    std::string(Trim(std::string_view(line).substr(0, colon))),
                    std::string(Trim(std::string_view(line).substr(colon + 1))));
            }
        }
        for (const auto& [name, value] : response.headers) {
            if (EqualsNoCase(name, "Set-Cookie") || EqualsNoCase(name, "Set-Cookie2")) {
                StoreCookie(value, url);
            }
        }
    } while (response.code == 100 && !reader.closed);
    responseCode_ = response.code;

    const bool success = response.code / 100 == 2 && response.Find("Location") == nullptr;
    if (success && response.cutByClose) {
        throw EHttpError(EHttpError::Kind::Undefined, "Undefined situation");
    }

    std::string body;
    const int bodyTimeout = success ? limits_.readMs : limits_.errorBodyMs;
    try {
        if (!(success && response.code == 204)) {
            const std::string* lengthHeader = response.Find("Content-Length");
            const std::string* encoding = response.Find("Transfer-Encoding");
            std::size_t length = 0;
            if (lengthHeader != nullptr && ParseDecimal(Trim(*lengthHeader), length) &&
                length >= 1) {
                reader.CheckSize(length);
                reader.ReadBytes(length, body, bodyTimeout);
            } else if (encoding != nullptr && encoding->find("chunked") != std::string::npos) {
                std::string line;
                for (;;) {
                    if (!reader.ReadLine(line, bodyTimeout)) {
                        throw EHttpError(EHttpError::Kind::ClosedGracefully,
                                         "Connection Closed Gracefully.");
                    }
                    const std::string_view size =
                        Trim(std::string_view(line).substr(0, line.find_first_of(" ;")));
                    std::uint64_t chunk = 0;
                    const auto [end, error] =
                        std::from_chars(size.data(), size.data() + size.size(), chunk, 16);
                    if (error == std::errc::result_out_of_range) {
                        throw EHttpError(EHttpError::Kind::BadChunk,
                                         "Invalid chunk size: " + std::string(size));
                    }
                    if (error != std::errc() || end != size.data() + size.size() || size.empty()) {
                        chunk = 0; // not a number ends the body
                    }
                    if (chunk == 0) {
                        reader.ReadLine(
                            line, bodyTimeout); // the trailer line; a close here loses nothing
                        break;
                    }
                    reader.CheckSize(body.size() + chunk);
                    if (!reader.ReadBytes(static_cast<std::size_t>(chunk), body, bodyTimeout) ||
                        !reader.ReadLine(line, bodyTimeout)) {
                        throw EHttpError(EHttpError::Kind::ClosedGracefully,
                                         "Connection Closed Gracefully.");
                    }
                }
            } else if (lengthHeader == nullptr) {
                reader.ReadUntilClose(body, bodyTimeout);
            }
        }
    } catch (const EHttpError&) {
        if (success && !body.empty()) {
            result = body;
        }
        throw;
    }

    auto isClose = [&](const char* name) {
        const std::string* value = response.Find(name);
        return value != nullptr && EqualsNoCase(Trim(*value), "close");
    };
    // Bytes past the end of the response would be read as the start of the
    // next one: such a connection is not kept.
    keepAlive_ = buffer_.empty() && !reader.closed && !isClose("Connection") &&
                 !isClose("Proxy-Connection") && socket_->IsOpen();
    guard.armed = false;
    if (!keepAlive_) {
        socket_.reset();
    }
    if (!success) {
        throw EHttpProtocolError(response.code, response.statusLine, body);
    }
    if (!body.empty()) {
        result = body;
    }
    bytes = body.size();
}
