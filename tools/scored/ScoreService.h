// The score server's rules, apart from HTTP: signed one-time tokens handed
// out by the version request, decoding and checking a submission, storing
// it, and the public page of the best scores.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ScoreStore.h"
#include "TokenSigner.h"

class ScoreService {
public:
    enum class Kind { Version, Submission, Page, Unknown, OtherProgram };

    struct Answer {
        int status = 200;
        std::string body;
        bool html = false;
    };

    // `pool` must outlive the service.
    ScoreService(StorePool& pool, TokenSigner signer);

    // What a request with the raw query `query` (after the "?") asks for.
    static Kind Classify(std::string_view query);

    // The answer to such a request at `now` (Unix seconds).
    Answer Handle(std::string_view query, std::int64_t now);

    // "OK|1.0|Brinehold|0|TOKEN|": the fifth field is the echo value.
    std::string VersionAnswer(std::int64_t now) const;
    // "OK" once the valid submission is stored for good, otherwise "ERROR|"
    // and the reason.
    std::string Submit(std::string_view code, std::int64_t now);
    Answer ScorePage();

private:
    StorePool& pool_;
    TokenSigner signer_;
};
