#include "online/client/ScoreServer.h"

#include <cstdlib>
#include <optional>

#ifndef BRINEHOLD_SCORE_SERVER
#define BRINEHOLD_SCORE_SERVER "127.0.0.1:8642"
#endif

namespace {

std::optional<std::string>& Override() {
    static std::optional<std::string> server;
    return server;
}

std::string Prefix() {
    return "http://" + ScoreServer() + "/cgi/version.pl?";
}

} // namespace

void SetScoreServer(const std::string& hostAndPort) {
    Override() = hostAndPort;
}

std::string ScoreServer() {
    if (Override()) {
        return *Override();
    }
    if (const char* environment = std::getenv("BRINEHOLD_SCORE_SERVER");
        environment != nullptr && *environment) {
        return environment;
    }
    return BRINEHOLD_SCORE_SERVER;
}

std::string VersionUrl() {
    return Prefix() + "version&prg=Brinehold";
}

std::string SubmitUrl(const std::string& code) {
    return Prefix() + "hs&prg=Brinehold&inf=" + code;
}

std::string ScorePageUrl() {
    return Prefix() + "prg=Brinehold&show&type=0";
}
