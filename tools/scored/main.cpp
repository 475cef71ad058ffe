// brinehold-scored: the reference score server for the game's online scores.
//   brinehold-scored --listen 127.0.0.1:8642 --db scores.sqlite
// Several processes may share one PostgreSQL database (--db postgresql://...)
// behind a load balancer; tokens are signed, so any of them can check one.
#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "HttpServer.h"
#include "ScoreService.h"
#include "ScoreStore.h"
#include "TokenSigner.h"

namespace {

const char* const kUsage =
    R"(usage: brinehold-scored [OPTION...]
Serves /cgi/version.pl for the game: the version request (with a signed
one-time token), score submissions, and the public page of the best scores;
/healthz answers "ok" while the database does.

  --listen HOST:PORT        address to serve on (default 127.0.0.1:8642; port 0 picks one)
  --db LOCATION             SQLite file (default scores.sqlite), or postgresql://...
                            for a PostgreSQL database that several servers may share
  --secret-file PATH        file holding the token secret (or set BRINEHOLD_SCORED_SECRET);
                            without either, a secret is made once and kept in the database
  --token-minutes N         how long a version token stays valid (default 5)
  --threads N               threads serving connections (default 4)
  --idle-seconds N          close a connection silent this long (default 5)
  --connections-per-address N  open connections one address may hold (default 16, 0: any)
  --max-connections N       open connections in all (default 10000)
  --version-rate N          version and page requests per minute and address (default 30,
                            0: no limit), with bursts of --version-burst N (default 10)
  --submit-rate N           submissions per minute and address (default 12, 0: no limit),
                            with bursts of --submit-burst N (default 5)
  --trust-proxy ADDRESS     a load balancer whose X-Forwarded-For names the client
                            (repeatable)
  --cors-origin ORIGIN      pages of ORIGIN (such as http://example.org:8080; "*": any)
                            may call the server from a browser (repeatable)
  --web DIR                 also serve the files of DIR (the browser build's site,
                            DIR/index.html for "/")
  --share-port              let several processes listen on the same port (SO_REUSEPORT)
  --access-log FILE         one line per request to FILE; "-" is standard error (default),
                            "off" writes none
  --grace-seconds N         on SIGTERM, how long to wait for clients (default 10)
  --exit-after SECONDS      stop by itself after this long (default: until SIGINT/SIGTERM)
  --config FILE             read options from FILE: one "name = value" per line
                            (names without "--", "#" starts a comment)
  --help                    this text

Prints "listening on HOST:PORT" once it serves.
)";

struct Settings {
    std::string listen = "127.0.0.1:8642";
    std::string database = "scores.sqlite";
    std::string secretFile;
    long tokenMinutes = 5;
    long exitAfter = 0;
    long graceSeconds = 10;
    std::string accessLog = "-";
    HttpOptions http;
};

bool ParseNumber(const std::string& text, long& value) {
    try {
        std::size_t used = 0;
        value = std::stol(text, &used);
        return used == text.size() && value >= 0;
    } catch (const std::exception&) {
        return false;
    }
}

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

long Number(const std::string& option, const std::string& value, long lowest, long highest) {
    long number = 0;
    if (!ParseNumber(value, number) || number < lowest || number > highest) {
        throw UsageError("bad " + option + " " + value);
    }
    return number;
}

void Apply(Settings& settings, const std::string& option, const std::string& value);

void ReadConfig(Settings& settings, const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        throw UsageError("cannot read " + path);
    }
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        line = line.substr(0, line.find('#'));
        const std::size_t equals = line.find('=');
        auto trim = [](std::string text) {
            const std::size_t first = text.find_first_not_of(" \t\r");
            const std::size_t last = text.find_last_not_of(" \t\r");
            return first == std::string::npos ? std::string()
                                              : text.substr(first, last - first + 1);
        };
        const std::string name = trim(line.substr(0, equals));
        const std::string value = equals == std::string::npos ? "" : trim(line.substr(equals + 1));
        if (name.empty()) {
            continue;
        }
        if (name == "config") {
            throw UsageError(path + ":" + std::to_string(number) + ": config cannot nest");
        }
        try {
            Apply(settings, "--" + name, value);
        } catch (const UsageError& error) {
            throw UsageError(path + ":" + std::to_string(number) + ": " + error.what());
        }
    }
}

void Apply(Settings& settings, const std::string& option, const std::string& value) {
    HttpOptions& http = settings.http;
    if (option == "--listen") {
        settings.listen = value;
    } else if (option == "--db") {
        settings.database = value;
    } else if (option == "--secret-file") {
        settings.secretFile = value;
    } else if (option == "--token-minutes") {
        settings.tokenMinutes = Number(option, value, 1, 24 * 60);
    } else if (option == "--threads") {
        http.threads = static_cast<int>(Number(option, value, 1, 256));
    } else if (option == "--idle-seconds") {
        http.idleSeconds = static_cast<int>(Number(option, value, 1, 3600));
    } else if (option == "--connections-per-address") {
        http.connectionsPerAddress = static_cast<int>(Number(option, value, 0, 100000));
    } else if (option == "--max-connections") {
        http.maxConnections = static_cast<int>(Number(option, value, 1, 1000000));
    } else if (option == "--version-rate") {
        http.versionsPerMinute = static_cast<double>(Number(option, value, 0, 1000000));
    } else if (option == "--version-burst") {
        http.versionBurst = static_cast<double>(Number(option, value, 1, 1000000));
    } else if (option == "--submit-rate") {
        http.submissionsPerMinute = static_cast<double>(Number(option, value, 0, 1000000));
    } else if (option == "--submit-burst") {
        http.submissionBurst = static_cast<double>(Number(option, value, 1, 1000000));
    } else if (option == "--trust-proxy") {
        http.trustedProxies.push_back(value);
    } else if (option == "--cors-origin") {
        http.corsOrigins.push_back(value);
    } else if (option == "--web") {
        http.webRoot = value;
    } else if (option == "--share-port") {
        http.sharePort = value.empty() || value == "yes" || value == "true" || value == "1";
    } else if (option == "--access-log") {
        settings.accessLog = value;
    } else if (option == "--grace-seconds") {
        settings.graceSeconds = Number(option, value, 0, 3600);
    } else if (option == "--exit-after") {
        settings.exitAfter = Number(option, value, 0, 1L << 30);
    } else if (option == "--config") {
        ReadConfig(settings, value);
    } else {
        throw UsageError("unknown option " + option);
    }
}

std::string ReadSecret(const Settings& settings) {
    std::string secret;
    if (!settings.secretFile.empty()) {
        std::ifstream file(settings.secretFile);
        if (!file) {
            throw std::runtime_error("cannot read the secret file " + settings.secretFile);
        }
        std::stringstream text;
        text << file.rdbuf();
        secret = text.str();
    } else if (const char* environment = std::getenv("BRINEHOLD_SCORED_SECRET")) {
        secret = environment;
    } else {
        return {};
    }
    while (!secret.empty() && (secret.back() == '\n' || secret.back() == '\r')) {
        secret.pop_back();
    }
    if (secret.size() < 16) {
        throw std::runtime_error("the token secret must have at least 16 characters");
    }
    return secret;
}

// Used tokens are kept until they expire; an hourly sweep would let the
// table grow for an hour of floods, a minute is cheap.
class TokenSweeper {
public:
    explicit TokenSweeper(StorePool& pool) : thread_([this, &pool] { Run(pool); }) {}
    ~TokenSweeper() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

private:
    void Run(StorePool& pool) {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::minutes(1), [this] { return done_; })) {
            try {
                const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count();
                pool.Borrow()->PurgeTokens(now);
            } catch (const std::exception& error) {
                std::cerr << "brinehold-scored: purging used tokens: " << error.what() << "\n";
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    Settings settings;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string option = argv[i];
            if (option == "--help" || option == "-h") {
                std::cout << kUsage;
                return 0;
            }
            if (option == "--share-port") {
                Apply(settings, option, "");
                continue;
            }
            if (i + 1 >= argc) {
                throw UsageError(option + " needs a value (or is unknown)");
            }
            Apply(settings, option, argv[++i]);
        }
    } catch (const UsageError& error) {
        std::cerr << "brinehold-scored: " << error.what() << "\n(see --help)\n";
        return 2;
    }
    const std::size_t colon = settings.listen.rfind(':');
    long port = 0;
    if (colon == std::string::npos || !ParseNumber(settings.listen.substr(colon + 1), port) ||
        port > 65535) {
        std::cerr << "brinehold-scored: --listen wants HOST:PORT, got " << settings.listen << "\n";
        return 2;
    }
    std::string host = settings.listen.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    settings.http.host = host;
    settings.http.port = static_cast<int>(port);

    std::FILE* accessLog = nullptr;
    if (settings.accessLog == "-") {
        accessLog = stderr;
    } else if (settings.accessLog != "off") {
        accessLog = std::fopen(settings.accessLog.c_str(), "a");
        if (accessLog == nullptr) {
            std::cerr << "brinehold-scored: cannot write " << settings.accessLog << "\n";
            return 1;
        }
        setvbuf(accessLog, nullptr, _IOLBF, 0);
    }
    settings.http.accessLog = accessLog;

    // Slow clients each hold a descriptor, so take all the system allows.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    // SIGINT and SIGTERM are taken by the main thread (every thread started
    // later inherits the mask), so a stop finishes what is in flight.
    signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        StorePool pool(settings.database);
        std::string secret = ReadSecret(settings);
        {
            StorePool::Lease store = pool.Borrow(); // creates or migrates the schema
            if (secret.empty()) {
                secret = store->Secret(TokenSigner::NewSecret());
            }
        }
        ScoreService service(pool, TokenSigner(secret, settings.tokenMinutes * 60));
        HttpServer server(service, pool, settings.http);
        const int bound = server.Start();
        std::printf("listening on %s:%d\n", host.c_str(), bound);
        std::fflush(stdout);
        TokenSweeper sweeper(pool);

        timespec wait{settings.exitAfter, 0};
        siginfo_t info{};
        if (settings.exitAfter > 0) {
            while (sigtimedwait(&stopSignals, &info, &wait) < 0 && errno == EINTR) {
            }
        } else {
            int signal = 0;
            sigwait(&stopSignals, &signal);
        }
        server.Stop(std::chrono::seconds(settings.graceSeconds));
    } catch (const std::exception& error) {
        std::cerr << "brinehold-scored: " << error.what() << "\n";
        return 1;
    }
    if (accessLog != nullptr && accessLog != stderr) {
        std::fclose(accessLog);
    }
    return 0;
}
