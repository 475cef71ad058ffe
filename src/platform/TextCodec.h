// UTF-8 decoding and the code page 1251 table, shared by the text conversion
// functions of Platform.h and the translation of typed text into Char events.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Decodes UTF-8; each malformed byte (bad lead, truncated sequence, overlong
// form, surrogate, value past U+10FFFF) becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view text);

void AppendUtf8(std::string& out, char32_t codePoint);

// The code page 1251 byte of a code point, or nothing when it has none.
std::optional<std::uint8_t> ToCp1251(char32_t codePoint);

char32_t FromCp1251(std::uint8_t byte);

} // namespace platform
