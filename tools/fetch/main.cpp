// brinehold-fetch URL: one GET request with the game's own HTTP client, so a
// player or a test can check a score server. The body goes to standard
// output (exit 0), a failure's message to standard error (exit 1).
#include <cstdio>
#include <iostream>
#include <string>

#include "online/client/HttpClient.h"

int main(int argc, char** argv) {
    const std::string usage = "usage: brinehold-fetch URL\n";
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << usage
                  << "Sends one HTTP GET request as the game does and prints the response body.\n"
                     "Exit code 0 on success, 1 with the error message on standard error.\n";
        return 0;
    }
    if (argc != 2) {
        std::cerr << usage;
        return 2;
    }
    THttpClient client;
    std::string body;
    try {
        client.FetchUrl(argv[1], body);
    } catch (const EHttpError& error) {
        std::string message = error.what();
        if (message.empty()) {
            message = "request failed";
        }
        std::cerr << message << '\n';
        return 1;
    }
    std::fwrite(body.data(), 1, body.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
