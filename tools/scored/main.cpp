// brinehold-scored: the reference score server for the game's online scores.
// One process, one SQLite file; started with one command:
//   brinehold-scored --listen 127.0.0.1:8642 --db scores.sqlite
#include <httplib.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "ScoreService.h"

namespace {

const char* const kUsage =
    "usage: brinehold-scored [--listen HOST:PORT] [--db PATH] [--token-minutes N] [--exit-after "
    "SECONDS]\n"
    "Serves /cgi/version.pl for the game: the version request (with a one-time token),\n"
    "score submissions, and the public page of the best scores.\n"
    "  --listen HOST:PORT   address to serve on (default 127.0.0.1:8642; port 0 picks a free one)\n"
    "  --db PATH            SQLite database file (default scores.sqlite)\n"
    "  --token-minutes N    how long a version token stays valid (default 5)\n"
    "  --exit-after SECONDS stop by itself after this long (default: run until SIGINT/SIGTERM)\n"
    "Prints \"listening on HOST:PORT\" once it serves.\n";

bool ParseNumber(const std::string& text, long& value) {
    try {
        std::size_t used = 0;
        value = std::stol(text, &used);
        return used == text.size() && value >= 0;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string listen = "127.0.0.1:8642";
    std::string database = "scores.sqlite";
    long tokenMinutes = 5;
    long exitAfter = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (i + 1 >= argc) {
            std::cerr << "brinehold-scored: " << option << " needs a value (or is unknown)\n";
            return 2;
        }
        const std::string value = argv[++i];
        if (option == "--listen") {
            listen = value;
        } else if (option == "--db") {
            database = value;
        } else if (option == "--token-minutes") {
            if (!ParseNumber(value, tokenMinutes) || tokenMinutes == 0) {
                std::cerr << "brinehold-scored: bad --token-minutes " << value << "\n";
                return 2;
            }
        } else if (option == "--exit-after") {
            if (!ParseNumber(value, exitAfter)) {
                std::cerr << "brinehold-scored: bad --exit-after " << value << "\n";
                return 2;
            }
        } else {
            std::cerr << "brinehold-scored: unknown option " << option << "\n";
            return 2;
        }
    }
    const std::size_t colon = listen.rfind(':');
    long port = 0;
    if (colon == std::string::npos || !ParseNumber(listen.substr(colon + 1), port) ||
        port > 65535) {
        std::cerr << "brinehold-scored: --listen wants HOST:PORT, got " << listen << "\n";
        return 2;
    }
    std::string host = listen.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }

    // SIGINT and SIGTERM are taken by a thread of their own, so the server
    // stops cleanly instead of dying in the middle of a write.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        ScoreService service(database, std::chrono::minutes(tokenMinutes));
        httplib::Server server;
        server.set_payload_max_length(4096);
        server.set_read_timeout(5);
        server.set_write_timeout(5);
        server.set_keep_alive_timeout(2);
        server.set_keep_alive_max_count(20);
        server.Get("/cgi/version.pl", [&service](const httplib::Request& request,
                                                 httplib::Response& response) {
            const std::size_t question = request.target.find('?');
            const std::string_view query =
                question == std::string::npos
                    ? std::string_view()
                    : std::string_view(request.target).substr(question + 1);
            bool html = false;
            const std::string answer = service.Handle(query, html);
            response.set_content(answer, html ? "text/html; charset=utf-8" : "text/plain");
        });

        const int bound =
            port == 0
                ? server.bind_to_any_port(host)
                : (server.bind_to_port(host, static_cast<int>(port)) ? static_cast<int>(port) : -1);
        if (bound < 0) {
            std::cerr << "brinehold-scored: cannot listen on " << listen << "\n";
            return 1;
        }
        std::printf("listening on %s:%d\n", host.c_str(), bound);
        std::fflush(stdout);

        std::thread signals([&server, &stopSignals] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            server.stop();
        });
        signals.detach();
        if (exitAfter > 0) {
            std::thread timer([&server, exitAfter] {
                std::this_thread::sleep_for(std::chrono::seconds(exitAfter));
                server.stop();
            });
            timer.detach();
        }
        server.listen_after_bind();
    } catch (const std::exception& error) {
        std::cerr << "brinehold-scored: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
