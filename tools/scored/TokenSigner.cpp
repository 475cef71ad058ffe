#include "TokenSigner.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <cstdio>
#include <stdexcept>

namespace {

// Clocks of the processes behind one load balancer may differ by this much.
constexpr std::int64_t kClockSkewSeconds = 60;
constexpr std::size_t kTimeDigits = 8;
constexpr std::size_t kBodyDigits = 24;

std::string Hex(const unsigned char* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

std::string RandomHex(std::size_t bytes) {
    unsigned char buffer[32];
    if (bytes > sizeof buffer || RAND_bytes(buffer, static_cast<int>(bytes)) != 1) {
        throw std::runtime_error("no random numbers");
    }
    return Hex(buffer, bytes);
}

} // namespace

TokenSigner::TokenSigner(std::string secret, std::int64_t lifetimeSeconds)
    : secret_(std::move(secret)), lifetime_(lifetimeSeconds) {}

std::string TokenSigner::NewSecret() {
    return RandomHex(32);
}

std::string TokenSigner::Signature(std::string_view body) const {
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), secret_.data(), static_cast<int>(secret_.size()),
         reinterpret_cast<const unsigned char*>(body.data()), body.size(), mac, &length);
    return Hex(mac, (kTokenLength - kBodyDigits) / 2);
}

std::string TokenSigner::Issue(std::int64_t now) const {
    char time[kTimeDigits + 1];
    std::snprintf(time, sizeof time, "%08llx", static_cast<unsigned long long>(now & 0xFFFFFFFF));
    const std::string body = time + RandomHex((kBodyDigits - kTimeDigits) / 2);
    return body + Signature(body);
}

std::optional<TokenSigner::Checked> TokenSigner::Check(std::string_view token,
                                                       std::int64_t now) const {
    if (token.size() != kTokenLength ||
        token.find_first_not_of("0123456789abcdef") != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view body = token.substr(0, kBodyDigits);
    const std::string expected = Signature(body);
    if (CRYPTO_memcmp(expected.data(), token.data() + kBodyDigits, expected.size()) != 0) {
        return std::nullopt;
    }
    const std::int64_t issued = std::stoll(std::string(token.substr(0, kTimeDigits)), nullptr, 16);
    if (issued > now + kClockSkewSeconds || now >= issued + lifetime_) {
        return std::nullopt;
    }
    return Checked{std::string(body), issued + lifetime_};
}
