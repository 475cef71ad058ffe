// The score submission's text and its two-stage encoding (bytes to binary
// digits, binary digits to letters of a 32-letter alphabet), the reading of
// the server's first answer, and the inverse steps a server needs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Letter v stands for the 5-digit binary group of value v.
inline constexpr std::string_view CodeAlphabet = "ABCDEFGHJKLMNPQRSTUVWXY123456789";

// The capital letter every submission sends after "|key=".
inline constexpr char SubmissionKey = 'B';

// Each byte as its 8 binary digits, most significant first.
std::string ToBinaryText(std::string_view text);

// Prefixes "0" up to a multiple of 5 digits, then one letter per group of 5.
// Any character other than "0" counts as a one.
std::string ToLetterCode(std::string_view binary);

// The submission text (code page 1251 bytes), padded with "0" to a multiple
// of 5 characters.
std::string SubmissionText(std::string_view name, unsigned score, std::string_view echo,
                           std::string_view country);

// The echo value P of the first answer: the text between its fourth and fifth
// "|", empty when it holds fewer than five.
std::string EchoValue(std::string_view answer);

// Inverses, for a server: letters back to binary digits (nullopt for a
// character outside the alphabet), and binary digits back to bytes (the
// leading digits beyond a multiple of 8 must be the "0" prefix).
std::optional<std::string> FromLetterCode(std::string_view code);
std::optional<std::string> FromBinaryText(std::string_view binary);
