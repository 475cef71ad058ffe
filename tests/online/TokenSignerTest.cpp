// The score server's signed tokens and its per-address request limits.
#include <gtest/gtest.h>

#include "RateLimiter.h"
#include "TokenSigner.h"
#include "online/codec/ScoreCodec.h"

namespace {

constexpr std::int64_t kNow = 1'800'000'000;

TEST(TokenSigner, AnyProcessWithTheSecretAcceptsATokenUntilItExpires) {
    const TokenSigner issuer("a secret of some length", 300);
    const TokenSigner other("a secret of some length", 300);
    const std::string token = issuer.Issue(kNow);
    ASSERT_EQ(token.size(), TokenSigner::kTokenLength);
    EXPECT_NE(issuer.Issue(kNow), token) << "the random part differs";
    // The token travels as the echo value of the version answer.
    EXPECT_EQ(EchoValue("OK|1.0|Brinehold|0|" + token + "|"), token);

    const auto checked = other.Check(token, kNow + 299);
    ASSERT_TRUE(checked);
    EXPECT_EQ(checked->expires, kNow + 300);
    EXPECT_EQ(checked->id, token.substr(0, 24));
    EXPECT_TRUE(other.Check(token, kNow - 30)) << "a clock a little behind still accepts";
}

TEST(TokenSigner, RefusesForgedExpiredAndMalformedTokens) {
    const TokenSigner signer("a secret of some length", 300);
    const std::string token = signer.Issue(kNow);
    std::string forged = token;
    forged[10] = forged[10] == 'a' ? 'b' : 'a'; // another random part, same signature
    std::string upper = token;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const struct {
        std::string token;
        std::int64_t now;
        const char* why;
    } cases[] = {
        {token, kNow + 300, "expired"},
        {token, kNow - 3600, "issued in the future"},
        {forged, kNow, "changed body"},
        {token.substr(0, 47), kNow, "short"},
        {token + "0", kNow, "long"},
        {upper, kNow, "not lower-case hex"},
        {"", kNow, "empty"},
        {TokenSigner("another secret entirely", 300).Issue(kNow), kNow, "other secret"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(signer.Check(c.token, c.now)) << c.why;
    }
}

TEST(RateLimiter, AllowsABurstThenTheRatePerAddress) {
    RateLimiter limiter(60, 3); // one a second, three at once
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(limiter.Allow("127.0.0.2", 100.0));
    }
    EXPECT_FALSE(limiter.Allow("127.0.0.2", 100.0));
    EXPECT_TRUE(limiter.Allow("127.0.0.3", 100.0)) << "another address has its own bucket";
    EXPECT_FALSE(limiter.Allow("127.0.0.2", 100.5));
    EXPECT_TRUE(limiter.Allow("127.0.0.2", 101.0));
    EXPECT_FALSE(limiter.Allow("127.0.0.2", 101.0));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(limiter.Allow("127.0.0.2", 200.0)) << "refilled up to the burst";
    }
    EXPECT_FALSE(limiter.Allow("127.0.0.2", 200.0));

    RateLimiter off(0, 1);
    for (int i = 0; i < 100; ++i) {
        EXPECT_TRUE(off.Allow("127.0.0.2", 100.0));
    }
}

TEST(RateLimiter, ForgetsIdleAddressesAndRefusesNewcomersWhenFull) {
    RateLimiter limiter(60, 2, 3);
    for (const char* address : {"a", "b", "c"}) {
        EXPECT_TRUE(limiter.Allow(address, 0.0));
    }
    EXPECT_FALSE(limiter.Allow("d", 0.5)) << "the table is full of busy addresses";
    EXPECT_TRUE(limiter.Allow("d", 10.0)) << "idle addresses were forgotten";
}

} // namespace
