#include "HttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netdb.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

// The limits of the first server: a request target of 8 KiB, a body of 4 KiB.
constexpr std::size_t kMaxTarget = 8192;
constexpr std::size_t kMaxBody = 4096;
constexpr std::size_t kMaxHead = 16384;
constexpr const char* kScript = "/cgi/version.pl";
constexpr std::size_t kLoggedTarget = 512;

std::int64_t UnixNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Keeps a logged text on one line whatever the client sent.
std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text.substr(0, kLoggedTarget)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    if (text.size() > kLoggedTarget) {
        out += "...";
    }
    return out;
}

const char* EndReason(int reason) {
    switch (reason) {
    case MHD_REQUEST_TERMINATED_COMPLETED_OK:
        return "";
    case MHD_REQUEST_TERMINATED_TIMEOUT_REACHED:
        return " timeout";
    case MHD_REQUEST_TERMINATED_DAEMON_SHUTDOWN:
        return " shutdown";
    case MHD_REQUEST_TERMINATED_CLIENT_ABORT:
        return " client-closed";
    default:
        return " error";
    }
}

std::mutex logMutex;

void* OnBegin(void* self, const char* uri, MHD_Connection* connection) {
    return static_cast<HttpServer*>(self)->BeginRequest(uri, connection);
}

MHD_Result OnRequest(void* self, MHD_Connection* connection, const char*, const char* method,
                     const char*, const char*, std::size_t* uploadSize, void** context) {
    auto* request = static_cast<HttpServer::Request*>(*context);
    if (request == nullptr) {
        return MHD_NO;
    }
    return static_cast<HttpServer*>(self)->HandleRequest(connection, *request, method, uploadSize)
               ? MHD_YES
               : MHD_NO;
}

void OnEnd(void* self, MHD_Connection*, void** context, MHD_RequestTerminationCode reason) {
    static_cast<HttpServer*>(self)->EndRequest(static_cast<HttpServer::Request*>(*context), reason);
    *context = nullptr;
}

} // namespace

struct HttpServer::Request {
    std::string target;
    std::string method;
    std::string address;
    bool started = false;
    std::size_t bodyBytes = 0;
    int status = 0;
    std::size_t sent = 0;
    std::chrono::steady_clock::time_point begun = std::chrono::steady_clock::now();
};

HttpServer::HttpServer(ScoreService& service, StorePool& pool, HttpOptions options)
    : service_(service), pool_(pool), options_(std::move(options)),
      versions_(options_.versionsPerMinute, options_.versionBurst),
      submissions_(options_.submissionsPerMinute, options_.submissionBurst) {}

HttpServer::~HttpServer() {
    if (daemon_ != nullptr) {
        MHD_stop_daemon(daemon_);
    }
    if (listenSocket_ >= 0) {
        close(listenSocket_);
    }
}

int HttpServer::Start() {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(options_.port);
    if (getaddrinfo(options_.host.empty() ? nullptr : options_.host.c_str(), port.c_str(), &hints,
                    &found) != 0 ||
        found == nullptr) {
        throw std::runtime_error("cannot resolve " + options_.host);
    }
    sockaddr_storage address{};
    std::memcpy(&address, found->ai_addr, found->ai_addrlen);
    const bool six = found->ai_family == AF_INET6;
    freeaddrinfo(found);

    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ITC;
    if (six) {
        flags |= MHD_USE_IPv6;
    }
    daemon_ = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &OnRequest, this, MHD_OPTION_SOCK_ADDR, &address,
        MHD_OPTION_URI_LOG_CALLBACK, &OnBegin, this, MHD_OPTION_NOTIFY_COMPLETED, &OnEnd, this,
        MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned>(std::max(1, options_.threads)),
        MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(options_.idleSeconds),
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<unsigned>(options_.connectionsPerAddress),
        MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(options_.maxConnections),
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, kMaxHead, MHD_OPTION_LISTENING_ADDRESS_REUSE,
        options_.sharePort ? 1u : 0u, MHD_OPTION_END);
    if (daemon_ == nullptr) {
        throw std::runtime_error("cannot listen on " + options_.host + ":" + port);
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : options_.port;
}

void HttpServer::Stop(std::chrono::milliseconds grace) {
    if (daemon_ == nullptr) {
        return;
    }
    stopping_ = true;
    listenSocket_ = MHD_quiesce_daemon(daemon_);
    // Busy connections close after their next answer; idle ones time out.
    const auto deadline = std::chrono::steady_clock::now() + grace;
    for (;;) {
        const MHD_DaemonInfo* info =
            MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_CURRENT_CONNECTIONS);
        const bool idle = info == nullptr || info->num_connections == 0;
        const bool late = std::chrono::steady_clock::now() >= deadline;
        if (idle || (late && inFlight_ == 0) ||
            std::chrono::steady_clock::now() >= deadline + grace) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
    if (listenSocket_ >= 0) {
        close(listenSocket_);
        listenSocket_ = -1;
    }
}

HttpServer::Request* HttpServer::BeginRequest(const char* uri, MHD_Connection* connection) {
    auto* request = new Request;
    request->target = uri;
    request->address = ClientAddress(connection, false);
    ++inFlight_;
    return request;
}

void HttpServer::EndRequest(Request* request, int reason) {
    if (request == nullptr) {
        return;
    }
    Log(*request, reason);
    delete request;
    --inFlight_;
}

bool HttpServer::HandleRequest(MHD_Connection* connection, Request& request, const char* method,
                               std::size_t* uploadSize) {
    if (!request.started) {
        request.started = true;
        request.method = method;
        request.address = ClientAddress(connection, true);
        const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                                         MHD_HTTP_HEADER_CONTENT_LENGTH);
        if (length != nullptr && std::strtoull(length, nullptr, 10) > kMaxBody) {
            return Respond(connection, request, MHD_HTTP_CONTENT_TOO_LARGE, "body too large\n",
                           "text/plain");
        }
        return true; // the body, if any, comes in the next calls
    }
    if (*uploadSize != 0) {
        request.bodyBytes += *uploadSize; // a GET has no use for it
        *uploadSize = 0;
        return true;
    }
    if (request.bodyBytes > kMaxBody) {
        return Respond(connection, request, MHD_HTTP_CONTENT_TOO_LARGE, "body too large\n",
                       "text/plain");
    }
    return Route(connection, request);
}

bool HttpServer::Route(MHD_Connection* connection, Request& request) {
    if (request.method == "OPTIONS") {
        return Preflight(connection, request);
    }
    if (request.method != "GET" && request.method != "HEAD") {
        return Respond(connection, request, MHD_HTTP_METHOD_NOT_ALLOWED, "only GET\n",
                       "text/plain");
    }
    if (request.target.size() > kMaxTarget) {
        return Respond(connection, request, MHD_HTTP_URI_TOO_LONG, "request too long\n",
                       "text/plain");
    }
    const std::size_t question = request.target.find('?');
    const std::string_view path = std::string_view(request.target).substr(0, question);
    const std::string_view query = question == std::string::npos
                                       ? std::string_view()
                                       : std::string_view(request.target).substr(question + 1);
    if (path == "/healthz") {
        bool healthy = false;
        if (!stopping_) {
            try {
                healthy = pool_.Borrow()->Ping();
            } catch (const StoreError&) {
            }
        }
        return Respond(connection, request, healthy ? MHD_HTTP_OK : MHD_HTTP_SERVICE_UNAVAILABLE,
                       healthy     ? "ok\n"
                       : stopping_ ? "stopping\n"
                                   : "storage unavailable\n",
                       "text/plain");
    }
    if (path != kScript) {
        if (!options_.webRoot.empty()) {
            return ServeFile(connection, request, path);
        }
        return Respond(connection, request, MHD_HTTP_NOT_FOUND, "not found\n", "text/plain");
    }
    const double now = SteadySeconds();
    RateLimiter& limiter =
        ScoreService::Classify(query) == ScoreService::Kind::Submission ? submissions_ : versions_;
    if (!limiter.Allow(request.address, now)) {
        return Respond(connection, request, MHD_HTTP_TOO_MANY_REQUESTS, "ERROR|too many requests",
                       "text/plain");
    }
    const ScoreService::Answer answer = service_.Handle(query, UnixNow());
    return Respond(connection, request, answer.status, answer.body,
                   answer.html ? "text/html; charset=utf-8" : "text/plain");
}

bool HttpServer::Respond(MHD_Connection* connection, Request& request, int status,
                         const std::string& body, const char* contentType) {
    MHD_Response* response = MHD_create_response_from_buffer(
        body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr) {
        return false;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
    if (status == MHD_HTTP_TOO_MANY_REQUESTS) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_RETRY_AFTER, "10");
    }
    if (status == MHD_HTTP_METHOD_NOT_ALLOWED) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD, OPTIONS");
    }
    return Send(connection, request, status, response, body.size());
}

bool HttpServer::Send(MHD_Connection* connection, Request& request, int status,
                      MHD_Response* response, std::size_t size) {
    const std::string origin = AllowedOrigin(connection);
    if (!origin.empty()) {
        MHD_add_response_header(response, "Access-Control-Allow-Origin", origin.c_str());
    }
    if (!options_.corsOrigins.empty()) {
        MHD_add_response_header(response, "Vary", "Origin");
    }
    if (stopping_) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    }
    const MHD_Result queued =
        MHD_queue_response(connection, static_cast<unsigned>(status), response);
    MHD_destroy_response(response);
    request.status = status;
    request.sent = size;
    return queued == MHD_YES;
}

std::string HttpServer::AllowedOrigin(MHD_Connection* connection) const {
    const char* origin =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_ORIGIN);
    if (origin == nullptr) {
        return {};
    }
    for (const std::string& allowed : options_.corsOrigins) {
        if (allowed == "*" || allowed == origin) {
            return origin;
        }
    }
    return {};
}

// A browser asks before a request of another origin that carries headers of
// its own; the answer names what it may send.
bool HttpServer::Preflight(MHD_Connection* connection, Request& request) {
    MHD_Response* response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
    if (response == nullptr) {
        return false;
    }
    if (!AllowedOrigin(connection).empty()) {
        MHD_add_response_header(response, "Access-Control-Allow-Methods", "GET, HEAD");
        if (const char* asked = MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                                            "Access-Control-Request-Headers")) {
            MHD_add_response_header(response, "Access-Control-Allow-Headers", asked);
        }
        MHD_add_response_header(response, "Access-Control-Max-Age", "600");
    }
    return Send(connection, request, MHD_HTTP_NO_CONTENT, response, 0);
}

bool HttpServer::ServeFile(MHD_Connection* connection, Request& request, std::string_view path) {
    std::string relative(path.substr(1));
    if (relative.empty() || relative.back() == '/') {
        relative += "index.html";
    }
    // Only plain names below the folder: no parent steps, no hidden files.
    const bool plain = relative.find("/.") == std::string::npos && relative.front() != '.' &&
                       relative.find('\\') == std::string::npos &&
                       relative.find('%') == std::string::npos;
    const std::string file = options_.webRoot + "/" + relative;
    const int fd = plain ? open(file.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    struct stat facts {};
    if (fd < 0 || fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        if (fd >= 0) {
            close(fd);
        }
        return Respond(connection, request, MHD_HTTP_NOT_FOUND, "not found\n", "text/plain");
    }
    static const struct {
        const char* extension;
        const char* type;
    } kTypes[] = {{".html", "text/html; charset=utf-8"},
                  {".js", "text/javascript"},
                  {".wasm", "application/wasm"},
                  {".png", "image/png"},
                  {".css", "text/css"}};
    const char* type = "application/octet-stream";
    for (const auto& known : kTypes) {
        if (relative.ends_with(known.extension)) {
            type = known.type;
        }
    }
    const auto size = static_cast<std::size_t>(facts.st_size);
    MHD_Response* response = MHD_create_response_from_fd(size, fd); // owns fd from here
    if (response == nullptr) {
        close(fd);
        return false;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
    return Send(connection, request, MHD_HTTP_OK, response, size);
}

std::string HttpServer::ClientAddress(MHD_Connection* connection, bool headers) const {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    char text[INET6_ADDRSTRLEN] = "?";
    if (info != nullptr && info->client_addr != nullptr) {
        const sockaddr* peer = info->client_addr;
        if (peer->sa_family == AF_INET) {
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(peer)->sin_addr, text,
                      sizeof text);
        } else if (peer->sa_family == AF_INET6) {
            inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(peer)->sin6_addr, text,
                      sizeof text);
        }
    }
    std::string address = text;
    if (headers && std::find(options_.trustedProxies.begin(), options_.trustedProxies.end(),
                             address) != options_.trustedProxies.end()) {
        // The balancer appends the address it saw last; earlier entries are the client's word.
        if (const char* forwarded =
                MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "X-Forwarded-For")) {
            std::string_view list = forwarded;
            const std::size_t comma = list.rfind(',');
            std::string_view last = comma == std::string_view::npos ? list : list.substr(comma + 1);
            while (!last.empty() && last.front() == ' ') {
                last.remove_prefix(1);
            }
            while (!last.empty() && last.back() == ' ') {
                last.remove_suffix(1);
            }
            if (!last.empty() && last.size() < 64) {
                address = last;
            }
        }
    }
    return address;
}

void HttpServer::Log(const Request& request, int reason) {
    if (options_.accessLog == nullptr) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    const double milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - request.begun)
            .count();
    const std::string status = request.status ? std::to_string(request.status) : "-";
    char line[1024];
    std::snprintf(line, sizeof line, "%s %s \"%s %s\" %s %zu %.1fms%s\n", stamp,
                  request.address.empty() ? "-" : request.address.c_str(),
                  Printable(request.method.empty() ? "-" : request.method).c_str(),
                  Printable(request.target).c_str(), status.c_str(), request.sent, milliseconds,
                  EndReason(reason));
    std::lock_guard lock(logMutex);
    std::fputs(line, options_.accessLog);
}
