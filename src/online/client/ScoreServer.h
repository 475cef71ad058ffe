// Where the online scores go: the score server's "HOST[:PORT]" and the three
// URLs the game uses on it.
#pragma once

#include <string>

// Overrides the server for this run (the --score-server option). Without it,
// the environment variable BRINEHOLD_SCORE_SERVER and then the build's
// default (the CMake option of the same name) apply.
void SetScoreServer(const std::string& hostAndPort);
std::string ScoreServer();

// "http://" + ScoreServer() + the script path and query of each request.
std::string VersionUrl();
std::string SubmitUrl(const std::string& code);
std::string ScorePageUrl();
