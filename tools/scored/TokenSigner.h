// The one-time tokens of the version answer, without server state: the
// issue time and a random part, signed with HMAC-SHA-256 under the server
// secret, so any process that knows the secret can check a token. Using a
// token only once is the database's part (ScoreStore::Store).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TokenSigner {
public:
    // 48 lower-case hex digits: issue time (8), random part (16), signature (24).
    static constexpr std::size_t kTokenLength = 48;

    TokenSigner(std::string secret, std::int64_t lifetimeSeconds);

    std::string Issue(std::int64_t now) const;

    struct Checked {
        std::string id;       // what the database keeps to refuse a second use
        std::int64_t expires; // Unix seconds
    };
    // The token's id and expiry when it is well formed, signed with this
    // secret, not issued in the future and not expired at `now`.
    std::optional<Checked> Check(std::string_view token, std::int64_t now) const;

    // A fresh random secret (64 hex digits), for a database that has none.
    static std::string NewSecret();

private:
    std::string Signature(std::string_view body) const;

    std::string secret_;
    std::int64_t lifetime_;
};
