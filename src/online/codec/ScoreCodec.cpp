#include "online/codec/ScoreCodec.h"

#include <array>

namespace {

const std::array<std::string, 256>& DigitTable() {
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> digits;
        for (int value = 0; value < 256; ++value) {
            for (int bit = 7; bit >= 0; --bit) {
                digits[value] += (value >> bit) & 1 ? '1' : '0';
            }
        }
        return digits;
    }();
    return table;
}

} // namespace

std::string ToBinaryText(std::string_view text) {
    std::string binary;
    binary.reserve(text.size() * 8);
    for (const char c : text) {
        binary += DigitTable()[static_cast<unsigned char>(c)];
    }
    return binary;
}

std::string ToLetterCode(std::string_view binary) {
    std::string digits((5 - binary.size() % 5) % 5, '0');
    digits += binary;
    std::string code;
    code.reserve(digits.size() / 5);
    for (std::size_t group = 0; group < digits.size(); group += 5) {
        unsigned value = 0;
        for (std::size_t j = 0; j < 5; ++j) {
            value = value * 2 + (digits[group + j] != '0' ? 1 : 0);
        }
        code += CodeAlphabet[value];
    }
    return code;
}

std::string SubmissionText(std::string_view name, unsigned score, std::string_view echo,
                           std::string_view country) {
    std::string text = "type=0|name=";
    text += name;
    text += "|score=" + std::to_string(score);
    text += "|key=";
    text += SubmissionKey;
    text += "|p=";
    text += echo;
    text += "|add=";
    text += country;
    text += "|z=";
    text.append((5 - text.size() % 5) % 5, '0');
    return text;
}

std::string EchoValue(std::string_view answer) {
    // Positions are whole numbers here: an answer with a long field before
    // the echo value must not make the split land in the wrong place.
    std::string_view field;
    for (int step = 0; step < 5; ++step) {
        const std::size_t bar = answer.find('|');
        if (bar == std::string_view::npos) {
            return {};
        }
        field = answer.substr(0, bar);
        answer.remove_prefix(bar + 1);
    }
    return std::string(field);
}

std::optional<std::string> FromLetterCode(std::string_view code) {
    std::string binary;
    binary.reserve(code.size() * 5);
    for (const char c : code) {
        const std::size_t value = CodeAlphabet.find(c);
        if (value == std::string_view::npos) {
            return std::nullopt;
        }
        for (int bit = 4; bit >= 0; --bit) {
            binary += (value >> bit) & 1 ? '1' : '0';
        }
    }
    return binary;
}

std::optional<std::string> FromBinaryText(std::string_view binary) {
    const std::size_t prefix = binary.size() % 8;
    if (binary.substr(0, prefix).find_first_not_of('0') != std::string_view::npos) {
        return std::nullopt;
    }
    binary.remove_prefix(prefix);
    std::string text;
    text.reserve(binary.size() / 8);
    for (std::size_t start = 0; start < binary.size(); start += 8) {
        unsigned value = 0;
        for (std::size_t j = 0; j < 8; ++j) {
            const char digit = binary[start + j];
            if (digit != '0' && digit != '1') {
                return std::nullopt;
            }
            value = value * 2 + (digit == '1' ? 1 : 0);
        }
        text += static_cast<char>(value);
    }
    return text;
}
