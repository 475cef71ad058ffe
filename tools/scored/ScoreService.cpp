#include "ScoreService.h"

#include <charconv>
#include <vector>

#include "online/codec/ScoreCodec.h"

namespace {

// The longest submission the game writes is under 120 characters.
constexpr std::size_t kMaxCodeLetters = 400;
constexpr int kPageRows = 100;

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

// What the game lets a player type: blank, digits, Latin and Cyrillic letters.
bool ValidField(std::string_view text) {
    if (text.size() > 10) {
        return false;
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool ok = byte == ' ' || (byte >= '0' && byte <= '9') ||
                        (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte >= 192;
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Code page 1251 as the fields hold it: ASCII and the letters А..я (192..255).
std::string FieldToUtf8(std::string_view text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            const unsigned codePoint = 0x410 + (byte - 192);
            utf8 += static_cast<char>(0xC0 | (codePoint >> 6));
            utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
        }
    }
    return utf8;
}

std::string EscapeHtml(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// Names of only blanks are kept as sent; the page shows them this way.
std::string ShownName(const std::string& name) {
    return name.find_first_not_of(' ') == std::string::npos ? "Anonymous" : name;
}

std::string_view FieldValue(std::string_view field, std::string_view key) {
    return field.substr(key.size());
}

} // namespace

ScoreService::ScoreService(StorePool& pool, TokenSigner signer)
    : pool_(pool), signer_(std::move(signer)) {}

ScoreService::Kind ScoreService::Classify(std::string_view query) {
    bool version = false, submission = false, show = false, brinehold = false;
    for (const std::string_view pair : Split(query, '&')) {
        if (pair == "version") {
            version = true;
        } else if (pair == "hs") {
            submission = true;
        } else if (pair == "show") {
            show = true;
        } else if (pair == "prg=Brinehold") {
            brinehold = true;
        }
    }
    if (!brinehold) {
        return Kind::OtherProgram;
    }
    return version      ? Kind::Version
           : submission ? Kind::Submission
           : show       ? Kind::Page
                        : Kind::Unknown;
}

ScoreService::Answer ScoreService::Handle(std::string_view query, std::int64_t now) {
    switch (Classify(query)) {
    case Kind::Version:
        return {200, VersionAnswer(now)};
    case Kind::Submission: {
        std::string_view code;
        for (const std::string_view pair : Split(query, '&')) {
            if (pair.starts_with("inf=")) {
                code = pair.substr(4);
            }
        }
        return {200, Submit(code, now)};
    }
    case Kind::Page:
        return ScorePage();
    case Kind::Unknown:
        break;
    case Kind::OtherProgram:
        return {200, "ERROR|unknown program"};
    }
    return {200, "ERROR|unknown request"};
}

std::string ScoreService::VersionAnswer(std::int64_t now) const {
    return "OK|1.0|Brinehold|0|" + signer_.Issue(now) + "|";
}

std::string ScoreService::Submit(std::string_view code, std::int64_t now) {
    if (code.empty() || code.size() > kMaxCodeLetters || code.size() % 8 != 0) {
        return "ERROR|bad encoding";
    }
    const auto binary = FromLetterCode(code);
    const auto text = binary ? FromBinaryText(*binary) : std::nullopt;
    if (!text || text->size() % 5 != 0) {
        return "ERROR|bad encoding";
    }
    const std::vector<std::string_view> fields = Split(*text, '|');
    if (fields.size() != 7 || fields[0] != "type=0" || !fields[1].starts_with("name=") ||
        !fields[2].starts_with("score=") || !fields[3].starts_with("key=") ||
        !fields[4].starts_with("p=") || !fields[5].starts_with("add=") ||
        !fields[6].starts_with("z=")) {
        return "ERROR|bad fields";
    }
    const std::string_view padding = FieldValue(fields[6], "z=");
    if (padding.size() > 4 || padding.find_first_not_of('0') != std::string_view::npos) {
        return "ERROR|bad fields";
    }
    if (FieldValue(fields[3], "key=") != std::string_view(&SubmissionKey, 1)) {
        return "ERROR|bad key";
    }
    const std::string_view scoreText = FieldValue(fields[2], "score=");
    unsigned score = 0;
    const auto [end, error] =
        std::from_chars(scoreText.data(), scoreText.data() + scoreText.size(), score);
    if (scoreText.empty() || error != std::errc() || end != scoreText.data() + scoreText.size() ||
        (scoreText.size() > 1 && scoreText[0] == '0') || score > 65535) {
        return "ERROR|bad score";
    }
    const std::string_view name = FieldValue(fields[1], "name=");
    const std::string_view country = FieldValue(fields[5], "add=");
    if (!ValidField(name)) {
        return "ERROR|bad name";
    }
    if (!ValidField(country)) {
        return "ERROR|bad country";
    }
    // Bad, forged, expired and replayed tokens get the same answer.
    const auto token = signer_.Check(FieldValue(fields[4], "p="), now);
    if (!token) {
        return "ERROR|bad token";
    }
    const StoredScore row{FieldToUtf8(name), FieldToUtf8(country), static_cast<int>(score)};
    try {
        StorePool::Lease store = pool_.Borrow();
        switch (store->Store(row, token->id, token->expires, now)) {
        case StoreOutcome::Stored:
            return "OK";
        case StoreOutcome::TokenUsed:
            return "ERROR|bad token";
        case StoreOutcome::Failed:
            break;
        }
    } catch (const StoreError&) {
    }
    return "ERROR|storage failed";
}

ScoreService::Answer ScoreService::ScorePage() {
    std::string rows;
    try {
        StorePool::Lease store = pool_.Borrow();
        int rank = 0;
        for (const StoredScore& entry : store->Best(kPageRows)) {
            rows += "<tr><td>" + std::to_string(++rank) + "</td><td>" +
                    EscapeHtml(ShownName(entry.name)) + "</td><td>" + EscapeHtml(entry.country) +
                    "</td><td>" + std::to_string(entry.score) + "</td></tr>\n";
        }
    } catch (const StoreError&) {
        return {503, "ERROR|storage failed"};
    }
    return {200,
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Brinehold: best "
            "scores</title></head>\n"
            "<body><h1>Brinehold: best scores</h1>\n<table>\n"
            "<tr><th>#</th><th>Name</th><th>Country</th><th>Score</th></tr>\n" +
                rows + "</table></body></html>\n",
            true};
}
